#pragma once
// Turns the rest of a fuzz input into timed byte chunks. Each chunk is
//
//   length (1 byte)   bytes that follow, 0..255 (fewer when the input ends)
//   timing (1 byte)   bits 0-6: gap before it in 4 ms steps; bit 7: seal
//   bytes
//
// A sealed chunk ends a frame: its last two bytes are replaced by the Modbus CRC of the
// frame so far (every byte since the previous seal), low byte first. Without sealing a
// fuzzer would rarely hit a good CRC, and the paths behind the check would go untested.

#include <vector>

#include "fuzz/FuzzInput.h"
#include "fuzz/ScriptedLine.h"

namespace velmora::fuzz {

inline constexpr uint32_t kGapStepMs = 4;

std::vector<ScriptedChunk> readChunkScript(FuzzInput& in);

}  // namespace velmora::fuzz
