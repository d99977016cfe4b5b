#pragma once
// The command line's key filter: a typed character is first put in upper case, then
// only the blank, the hexadecimal digits, Backspace, Ctrl+C and Ctrl+V get through.
// Keys that type nothing (arrows, Delete, Home) are not the filter's business, and
// pasted text is never filtered.

#include <cstdint>

namespace velmora::console {

enum class KeyVerdict {
    Pass,     // the control handles the key as usual (Backspace, Ctrl+C, Ctrl+V)
    Insert,   // the control inserts `ch` instead
    Swallow,  // nothing happens
};

struct FilteredKey {
    KeyVerdict verdict;
    char32_t ch = 0;
};

// `typed`: the character the key would type, control characters as their codes (Ctrl+C
// is 0x03, Backspace 0x08, Ctrl+V 0x16).
FilteredKey filterCommandKey(char32_t typed);

}  // namespace velmora::console
