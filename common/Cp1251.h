#pragma once
// The modules keep their texts in the Windows-1251 code page; the program works in UTF-8.
// This is the one place that converts between the two.

#include <string>
#include <string_view>

namespace velmora {

// Characters without a Windows-1251 code become '?'.
std::string utf8ToCp1251(std::string_view utf8);
std::string cp1251ToUtf8(std::string_view cp1251);

}  // namespace velmora
