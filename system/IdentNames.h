#pragma once
// The identifier's parameter names: the lines of `titleId.dat` (Windows-1251, in the
// current directory), line k naming field k; the built-in names when there is no file.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::system {

inline constexpr const char* kNamesFile = "titleId.dat";
// A names file is a few hundred bytes; anything this large is some other file.
inline constexpr size_t kNamesFileLimit = 64 * 1024;
// A 256-byte block holds at most 256 fields, so later lines can never name one.
inline constexpr size_t kMaxNames = 256;

// The lines of a names file's content as UTF-8 names: LF or CR LF ends a line, a last
// line without an end still counts, control characters show as '?'.
std::vector<std::string> parseIdentNames(std::string_view cp1251);

struct IdentNames {
    std::vector<std::string> names;
    // Why the file was passed over for the built-in names; empty when it was used, or
    // when there is no file at all (which is how the built-in names are chosen).
    std::string notice;
};

// Reads the names from `path`, falling back to the built-in names.
IdentNames loadIdentNames(const std::string& path = kNamesFile);

}  // namespace velmora::system
