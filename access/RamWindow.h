#pragma once
// RAM and the SFRs of a node or of an i2c module behind it. A node is read with rdRAM
// (rdSFR, wrRAM, wrSFR) directly; an i2c module a window page at a time, REG_PAGE read
// first and put back afterwards (PageGuard), so a read may cross from one page into the
// next. RAM 0x51 is REG_PAGE itself: read back while the window is moved it would show
// the page the read set, so the module's own value, the one saved, takes its place.
// The caller holds the link.

#include <cstddef>
#include <cstdint>

#include "access/Attempts.h"
#include "access/ModuleLink.h"
#include "access/Transfer.h"

namespace velmora::access {

// `count` bytes from `address` into `out`; at a node at most 128 a frame. `done` says how
// many arrived, in order, before a step failed.
Transfer readRam(ModuleLink& link, uint16_t address, uint8_t* out, size_t count,
                 const WindowSteps& steps);

// One RAM byte. A write of RAM 0x51 at an i2c module is REG_PAGE's put-back itself.
// 0 once written and REG_PAGE put back.
uint16_t writeRamByte(ModuleLink& link, uint16_t address, uint8_t value, const WindowSteps& steps);

// The 128 SFRs 0xF80..0xFFF (an i2c module's window page 31).
Transfer readSfrBlock(ModuleLink& link, uint8_t* out);
// The SFR at `address` (0xF80..0xFFF).
uint16_t writeSfrByte(ModuleLink& link, uint16_t address, uint8_t value);

}  // namespace velmora::access
