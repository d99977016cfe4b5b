#include "link/RequestFrame.h"

#include <cstring>

#include "link/Crc16.h"
#include "link/OperationKind.h"

namespace velmora::link {

bool buildRequest(const Request& a, uint8_t initNode, const uint8_t* writeData, uint8_t* tx,
                  RequestLayout& layout) {
    const CommandLayout* command = commandLayout(commandOfKind(a.kind));
    if (!command) return false;
    const FrameShape shape = command->shape;
    const size_t n = a.count;
    const size_t length = requestLength(shape, n);
    if (length > kFrameMax) return false;

    uint8_t frame[kFrameMax];
    frame[0] = a.kind == initMod ? initNode : a.node;
    frame[1] = command->command;
    if (shape == FrameShape::Init) {
        frame[2] = 0x55;
        frame[3] = 0xAA;
    } else if (shape != FrameShape::Ident) {
        const bool i2c = a.kind == rdI2C || a.kind == wrI2C;
        // The SFR read always lands in the module's SFR window 0xF80..0xFFF.
        const uint16_t adr = a.kind == rdSFR ? (a.address | 0x0F80) : a.address;
        frame[2] = i2c ? a.slave : static_cast<uint8_t>(adr >> 8);
        frame[3] = adr & 0xFF;
        frame[4] = n & 0xFF;
        if (shape == FrameShape::Write) std::memcpy(frame + kHeaderLength, writeData, n);
    }
    appendCrc(frame, length - kCrcLength);
    std::memcpy(tx, frame, length);
    layout.requestLength = length;
    // Nothing is to come after an initialisation; whatever does come ends the wait at
    // its first byte and is judged then.
    const size_t reply = replyLength(shape, n);
    layout.expectedLength = reply > 0 ? reply : 1;
    layout.headerLength = static_cast<uint8_t>(replyDataOffset(shape));
    return true;
}

}  // namespace velmora::link
