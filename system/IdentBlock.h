#pragma once
// A module's identifier block and the list the terminal shows of it: text fields in
// Windows-1251, each ended by CR, named one by one from the names file or the built-in
// names. Plain C++: the identifier tab and `velmora-cli ident` show the same lines.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::system {

inline constexpr size_t kIdentSize = 256;
using IdentBuffer = std::array<uint8_t, kIdentSize>;

// An empty buffer: every byte erased, as before each read and after a failed one.
inline IdentBuffer erasedIdent() {
    IdentBuffer b;
    b.fill(0xFF);
    return b;
}

inline constexpr const char* kIdentHeader = "          ********** Идентификатор модуля **********";
inline constexpr const char* kUnknownParameter = "Неизвестный параметр:";
inline constexpr const char* kNoData = "Нет данных";
inline constexpr size_t kNameWidth = 32;  // characters a name is padded to

// The 16 names used when there is no names file (UTF-8, 23 characters each).
const std::vector<std::string>& builtInIdentNames();

// The fields of a block, as Windows-1251 bytes; none when the block holds no data (its
// first byte is 0xFF).
std::vector<std::string> identFields(const IdentBuffer& block);

// A field's bytes as the list shows them: UTF-8, control characters as '?', so a field
// can neither break the list's line nor steer a terminal.
std::string shownFieldText(std::string_view cp1251);

// `name` with blanks in front up to kNameWidth characters (longer names stay whole).
std::string paddedName(std::string_view utf8Name);

// One line per field ("name  value"), or, when the read failed or the block holds no
// data, one line per name ending in "Нет данных".
std::vector<std::string> identFieldLines(const IdentBuffer& block, bool readOk,
                                         const std::vector<std::string>& names);

// The whole list: the header line, an empty line, then the field lines.
std::vector<std::string> identListLines(const IdentBuffer& block, bool readOk,
                                        const std::vector<std::string>& names);

}  // namespace velmora::system
