#pragma once
// The one-byte writes of the RAM and EEPROM cell editors and of the SFR editor, at both
// levels. Shared by the views and velmora-cli. Each holds the link for its length.

#include <cstdint>

#include "access/ModuleAddress.h"
#include "link/TransactionEngine.h"

namespace velmora::views {

enum class WriteOutcome {
    Written,
    Failed,
    NothingSent,  // level 0: no module to write to
};

// `writeRAMCell`: at level 2 through the window, REG_PAGE put back once it was read. A
// write to RAM 0x51 (REG_PAGE itself) is the value put back.
WriteOutcome writeRAMCell(link::TransactionEngine& engine, const access::ModuleAddress& t,
                          uint16_t address, uint8_t value);

// `writeEECell`: at level 2 through registers 0xA9/0xA8 with REG_PAGE 0, put back once
// it was read.
WriteOutcome writeEECell(link::TransactionEngine& engine, const access::ModuleAddress& t,
                         uint16_t address, uint8_t value);

// `writeSFR` of the register at `address` (0xF80..0xFFF): at level 2 through window
// page 31, REG_PAGE put back on every path once it was read.
WriteOutcome writeSFR(link::TransactionEngine& engine, const access::ModuleAddress& t,
                      uint16_t address, uint8_t value);

}  // namespace velmora::views
