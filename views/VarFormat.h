#pragma once
// The value inspector's text (`showVarValue`): the bytes at the cursor read as a typed
// variable, little-endian, in one of four formats.

#include <array>
#include <cstdint>
#include <string>

namespace velmora::views {

// Item order of `rgTipVar` and `rgVidVar`.
enum class VarType { Char, UChar, Int, UInt, Long, ULong, Float32 };
enum class VarFormat { Hex, Dec, Bin, Simv, Off };

// Bytes of the value the type uses: 1, 2 or 4.
int varWidth(VarType type);

// "Char/Dec: -1" and so on; empty for Off. `decimalPoint` is the user's decimal
// separator (Float 32 in Dec). The text is UTF-8; character bytes are Windows-1251.
std::string showVarValue(VarType type, VarFormat format, const std::array<uint8_t, 4>& bytes,
                         const std::string& decimalPoint = ".");

// A float in fixed notation with 7 digits after the separator, rounded to 11
// significant digits; with more than 11 integer digits in scientific notation.
std::string floatText(float value, const std::string& decimalPoint);

}  // namespace velmora::views
