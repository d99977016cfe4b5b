#pragma once
// Erases a range of a module's program Flash: each 64-byte block the range touches is
// read, the range's bytes set to 0xFF, and the block written back, so the rest of Flash
// is kept. At an i2c module REG_PAGE is put back on every path once the erase began.
//
// A block that holds bytes outside the range is read until two reads agree before it is
// written, and read back (again until two reads agree) after: a reply that lies or a
// write that did not take must not cost the bytes the erase was told to keep. A block
// that does not read back as meant is written again; when it still does not, the run
// fails and names the kept bytes the module no longer holds, with what they held.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "firmware/FirmwareTarget.h"

namespace velmora::firmware {

struct EraseRange {
    uint32_t start = 0;
    uint32_t end = 0;  // inclusive
};

struct LostByte {
    uint16_t address = 0;
    uint8_t value = 0;  // what it held before the erase
};

// Outcome Failed: a transaction failed (`code`). Outcome Mismatch: the block's two reads
// never agreed (`readsDiffer`, nothing written yet), or it never read back as meant.
// `address` is the block at work either way.
struct EraseResult : RunResult {
    bool readsDiffer = false;
    // Bytes outside the range the failed block may no longer hold, in address order: those
    // that read back otherwise, or all it kept when it could not be read back at all.
    std::vector<LostByte> lost;
    // With `lost`: the block as the erase meant to leave it (the kept bytes as they were,
    // the range's 0xFF), so that programming it puts the block right.
    std::array<uint8_t, 64> meant{};
};

// Whether the range may be erased: not below `flashBottom`, not above 0xFFFF, not
// ending before it starts.
bool eraseRangeAllowed(const EraseRange& range, uint16_t flashBottom);

// "Errase Flash: 0x2010 ... 0x201F", the protocol log's line.
std::string eraseLogLine(const EraseRange& range);

// Progress reports carry the block at work in `address`. At level 0 nothing is sent;
// the walk and its pauses still run. A failure names the failing block.
EraseResult eraseFlash(ModuleLink& link, const EraseRange& range, const RunHooks& hooks);

}  // namespace velmora::firmware
