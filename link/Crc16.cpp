#include "link/Crc16.h"

namespace velmora::link {

uint16_t crc16(const uint8_t* buf, size_t start, size_t count) {
    uint16_t reg = 0xFFFF;
    for (size_t i = start; i < start + count; ++i) {
        reg ^= buf[i];
        for (int bit = 0; bit < 8; ++bit) {
            bool out = reg & 1;
            reg >>= 1;
            if (out) reg ^= 0xA001;
        }
    }
    return reg;
}

bool frameCrcOk(const uint8_t* frame, size_t length, bool highFirst) {
    if (length < 3) return false;
    uint16_t crc = crc16(frame, 0, length - 2);
    uint8_t first = highFirst ? crc >> 8 : crc & 0xFF;
    uint8_t second = highFirst ? crc & 0xFF : crc >> 8;
    return frame[length - 2] == first && frame[length - 1] == second;
}

void appendCrc(uint8_t* frame, size_t length, bool highFirst) {
    uint16_t crc = crc16(frame, 0, length);
    frame[length] = highFirst ? crc >> 8 : crc & 0xFF;
    frame[length + 1] = highFirst ? crc & 0xFF : crc >> 8;
}

}  // namespace velmora::link
