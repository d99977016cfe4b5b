#pragma once
// The page reads of the Flash, RAM and EEPROM views and the SFR block read, at both
// levels: a node directly, a sub-module through its registers. The window, the scan
// and velmora-cli all read through these, so they send the same frames. Each read
// holds the link for its whole length.

#include <array>
#include <cstdint>
#include <optional>

#include "access/ModuleAddress.h"
#include "link/TransactionEngine.h"
#include "views/PageRead.h"

namespace velmora::views {

// RAM page from `base` (a multiple of 0x100). At level 2 the window's page register is
// put back whenever it was read, also when a half failed, and RAM 0x51 shows it as it
// was before the window moved (the value read there is the page this read set).
PageRead readRAMPage(link::TransactionEngine& engine, const access::ModuleAddress& t,
                     uint16_t base);

// Flash page from `base`. At level 2 through registers 0xF6/0xF5 with REG_PAGE 0,
// which is put back afterwards.
PageRead readFlashPage(link::TransactionEngine& engine, const access::ModuleAddress& t,
                       uint16_t base);

// EEPROM page from `base` (0x000..0x300). At level 2 through registers 0xA9/0xA8.
PageRead readEEPage(link::TransactionEngine& engine, const access::ModuleAddress& t, uint16_t base);

// The 128 SFRs 0xF80..0xFFF; at level 2 through window page 31. Nothing at level 0.
std::optional<std::array<uint8_t, 128>> readSFRBlock(link::TransactionEngine& engine,
                                                     const access::ModuleAddress& t);

// The four bytes at `address` for the value inspector. At level 2 through the
// sub-module's window; bytes past a window's end come from the next page. Bytes past
// RAM's end (0xFFF) read as 0. RAM 0x51 at level 2 as in readRAMPage.
std::optional<std::array<uint8_t, 4>> readVarBytes(link::TransactionEngine& engine,
                                                   const access::ModuleAddress& t,
                                                   uint16_t address);

}  // namespace velmora::views
