#include "link/RequestFrame.h"

#include <cstring>

#include "link/Crc16.h"
#include "link/OperationKind.h"

namespace velmora::link {

namespace {
constexpr uint8_t kCommand[kKindCount] = {0x78, 0x76, 0x77, 0x70, 0x71, 0x74,
                                          0x75, 0x70, 0x71, 0x7A, 0x7B, 0x79};
}

bool buildRequest(const RequestArgs& a, const uint8_t* writeData, uint8_t* tx,
                  RequestLayout& layout) {
    if (a.kind >= kKindCount) return false;
    const size_t n = a.count;
    if (isWriteKind(a.kind) && n + 7 > kFrameMax) return false;

    uint8_t frame[kFrameMax];
    size_t len = 0;
    frame[len++] = a.kind == initMod ? a.initCid : a.cid;
    frame[len++] = kCommand[a.kind];
    switch (a.kind) {
        case rdID:
            layout.expectedLength = 256;
            layout.headerLength = 2;
            break;
        case initMod:
            frame[len++] = 0x55;
            frame[len++] = 0xAA;
            layout.expectedLength = 1;
            layout.headerLength = 4;
            break;
        case rdI2C:
        case wrI2C:
            frame[len++] = a.slave;
            frame[len++] = a.address & 0xFF;
            frame[len++] = n & 0xFF;
            break;
        default: {
            // The SFR read always lands in the module's SFR window 0xF80..0xFFF.
            uint16_t adr = a.kind == rdSFR ? (a.address | 0x0F80) : a.address;
            frame[len++] = adr >> 8;
            frame[len++] = adr & 0xFF;
            frame[len++] = n & 0xFF;
            break;
        }
    }
    if (a.kind != rdID && a.kind != initMod) {
        layout.headerLength = 5;
        layout.expectedLength = isWriteKind(a.kind) ? 7 : n + 7;
    }
    if (isWriteKind(a.kind)) {
        std::memcpy(frame + len, writeData, n);
        len += n;
    }
    appendCrc(frame, len);
    len += 2;
    std::memcpy(tx, frame, len);
    layout.requestLength = len;
    return true;
}

}  // namespace velmora::link
