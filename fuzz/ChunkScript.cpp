#include "fuzz/ChunkScript.h"

#include "link/Crc16.h"

namespace velmora::fuzz {

std::vector<ScriptedChunk> readChunkScript(FuzzInput& in) {
    std::vector<ScriptedChunk> script;
    std::vector<uint8_t> frame;  // bytes since the last seal
    uint32_t at = 0;
    while (in.left() > 0) {
        const uint8_t length = in.byte();
        const uint8_t timing = in.byte();
        at += (timing & 0x7F) * kGapStepMs;
        ScriptedChunk chunk{at, in.bytes(length)};
        frame.insert(frame.end(), chunk.bytes.begin(), chunk.bytes.end());
        const bool seal = timing & 0x80;
        if (seal && chunk.bytes.size() >= 2 && frame.size() >= 3) {
            const uint16_t crc = link::crc16(frame.data(), 0, frame.size() - 2);
            chunk.bytes[chunk.bytes.size() - 2] = crc & 0xFF;
            chunk.bytes[chunk.bytes.size() - 1] = crc >> 8;
        }
        if (seal) frame.clear();
        script.push_back(std::move(chunk));
    }
    return script;
}

}  // namespace velmora::fuzz
