#pragma once
// The SFR list's items: a register's name padded to 9 characters, "=", its value, sorted
// by text; and the register an item stands for, found again by its name.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::views {

// "PORTA    =1F"; "??" for a value not read.
std::string sfrItemText(size_t index, std::optional<uint8_t> value);

// The 128 items in the list's order. Without values (nothing read yet, or no module
// selected) every value is "??".
std::vector<std::string> sfrListItems(const std::optional<std::array<uint8_t, 128>>& values);

// Address (0xF80..0xFFF) of the register an item names; nothing for text that names none.
std::optional<uint16_t> sfrItemAddress(std::string_view item);

// The value text after "=" ("" without one).
std::string_view sfrItemValue(std::string_view item);

}  // namespace velmora::views
