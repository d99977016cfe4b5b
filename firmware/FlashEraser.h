#pragma once
// Erases a range of a module's program Flash: each 64-byte block the range touches is
// read, the range's bytes set to 0xFF, and the block written back, so the rest of Flash
// is kept. At an i2c module REG_PAGE is put back on every path once the erase began.

#include <cstdint>
#include <string>

#include "firmware/FirmwareTarget.h"

namespace velmora::firmware {

struct EraseRange {
    uint32_t start = 0;
    uint32_t end = 0;  // inclusive
};

// Whether the range may be erased: not below `flashBottom`, not above 0xFFFF, not
// ending before it starts.
bool eraseRangeAllowed(const EraseRange& range, uint16_t flashBottom);

// "Errase Flash: 0x2010 ... 0x201F", the protocol log's line.
std::string eraseLogLine(const EraseRange& range);

// Progress reports carry the block at work in `address`. At level 0 nothing is sent;
// the walk and its pauses still run. A failure names the failing block.
RunResult eraseFlash(ModuleLink& link, const EraseRange& range, const RunHooks& hooks);

}  // namespace velmora::firmware
