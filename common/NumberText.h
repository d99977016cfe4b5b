#pragma once
// Whole numbers typed by people or read from files, parsed in one place. Every
// function takes the whole text: a sign, blanks, a prefix or any stray character
// makes it fail, as does a value outside the range asked for.

#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora {

// Hexadecimal digits only, either letter case, no prefix.
std::optional<uint32_t> parseHex(std::string_view text, uint32_t max = 0xFFFFFFFFu);

// Decimal digits with an optional leading '-' (or '+'), within [min, max].
std::optional<long long> parseDecimal(std::string_view text, long long min, long long max);

// Decimal digits only: no sign at all, so "-1" is refused rather than wrapped.
std::optional<uint64_t> parseUnsigned(std::string_view text, uint64_t max = UINT64_MAX);

}  // namespace velmora
