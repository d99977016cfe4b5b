#pragma once
// What every symbol file read must give, whatever the bytes: an error and no names, or
// names sorted by address then name, each once, each a RAM address, each printed on a
// line of its own.

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "symbols/SymbolTable.h"

namespace velmora::fuzz {

[[noreturn]] inline void symbolFault(const char* target, const char* what) {
    std::fprintf(stderr, "%s: %s\n", target, what);
    std::abort();
}

inline void checkSymbolRead(const char* target, const symbols::SymbolRead& read) {
    const auto& list = read.table.symbols();
    if (!read.ok() && !list.empty()) symbolFault(target, "names given with an error");
    std::set<std::string> names;
    for (size_t i = 0; i < list.size(); ++i) {
        const symbols::Symbol& s = list[i];
        if (s.name.empty() || s.name.find_first_of(" \n\r\t") != std::string::npos)
            symbolFault(target, "a name that is no word");
        if (s.address >= symbols::kRamAddressEnd) symbolFault(target, "an address past RAM");
        if (!names.insert(s.name).second) symbolFault(target, "a name given twice");
        if (i > 0 && (list[i - 1].address > s.address ||
                      (list[i - 1].address == s.address && list[i - 1].name >= s.name)))
            symbolFault(target, "names out of order");
        if (read.table.addressOf(s.name) != s.address) symbolFault(target, "look-up disagrees");
    }
    const std::string lines = symbols::symbolLines(read.table);
    size_t count = 0;
    for (char c : lines) count += c == '\n';
    if (count != list.size()) symbolFault(target, "not one line a name");
}

}  // namespace velmora::fuzz
