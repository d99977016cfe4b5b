#include "firmware/HexWriter.h"

#include <vector>

#include "common/HexText.h"
#include "firmware/ImageWriter.h"

namespace velmora::firmware {

namespace {

constexpr size_t kRecordBytes = 16;

std::string record(uint16_t address, uint8_t type, const std::vector<uint8_t>& data) {
    return hexRecord(address, type, data);
}

}  // namespace

std::string hexRecord(uint16_t address, uint8_t type, const std::vector<uint8_t>& data,
                      const char* lineEnd) {
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(data.size()),
                                  static_cast<uint8_t>(address >> 8),
                                  static_cast<uint8_t>(address & 0xFF), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t b : bytes) sum += b;
    bytes.push_back(static_cast<uint8_t>((256 - sum % 256) % 256));
    std::string line = ":";
    for (uint8_t b : bytes) line += hexNumber(b, 2);
    return line + lineEnd;
}

std::string writeHexText(const FirmwareImages& images, uint32_t flashFrom) {
    std::string out = record(0, 0x04, {0x00, 0x00});
    for (uint32_t b = flashFrom & 0xFFC0; b <= 0xFFC0; b += 64) {
        if (blockIsBlank(images, b)) continue;
        for (uint32_t at = b; at < b + 64; at += kRecordBytes)
            out += record(static_cast<uint16_t>(at), 0x00,
                          {images.FlashImage.begin() + at, images.FlashImage.begin() + at + kRecordBytes});
    }
    std::string eeprom;
    for (uint32_t a = 0; a <= kEepromTop;) {
        if (!FirmwareImages::given(images.EepromImage[a])) {
            ++a;
            continue;
        }
        std::vector<uint8_t> data;
        const uint32_t start = a;
        while (a <= kEepromTop && data.size() < kRecordBytes &&
               FirmwareImages::given(images.EepromImage[a]))
            data.push_back(static_cast<uint8_t>(images.EepromImage[a++] & 0xFF));
        eeprom += record(static_cast<uint16_t>(start), 0x00, data);
    }
    if (!eeprom.empty()) out += record(0, 0x04, {0x00, 0xF0}) + eeprom;
    return out + record(0, 0x01, {});
}

}  // namespace velmora::firmware
