#pragma once
// Hexadecimal as the program shows and reads it: upper-case digits, no prefix.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/NumberText.h"

namespace velmora {

// "0F" style, `digits` wide (at least), upper case.
std::string hexNumber(uint32_t value, int digits);

// Each byte as two digits followed by one blank: "01 78 00 02 ".
std::string hexBytes(const uint8_t* data, size_t count);

// Blank-separated hexadecimal bytes ("01 7a FF"); nothing if any token is not a byte.
std::optional<std::vector<uint8_t>> parseHexByteList(std::string_view text);

}  // namespace velmora
