#pragma once
// The names the memory views show beside addresses: the special function registers
// 0xF80..0xFFF, the module monitor's own variables at RAM 0x050..0x07F, and the EEPROM
// cells 0x0F0..0x0FF that hold the node's link parameters.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::views {

inline constexpr uint16_t kSfrBase = 0xF80;
inline constexpr uint16_t kMonitorFirst = 0x050;
inline constexpr uint16_t kMonitorLast = 0x07F;

// `SFRNames`: one per address from 0xF80, in address order.
extern const std::array<std::string_view, 128> SFRNames;

// `SysRAMNames` entry of a RAM address in 0x050..0x07F; nothing elsewhere.
std::optional<std::string> sysRamName(uint16_t address);

// `EEHintNames` entry of an EEPROM address in 0x0F0..0x0FF (possibly empty); nothing
// elsewhere.
std::optional<std::string_view> eeHintName(uint16_t address);

// Address of a register by its exact name.
std::optional<uint16_t> sfrAddress(std::string_view name);

}  // namespace velmora::views
