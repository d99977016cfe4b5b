#include "symbols/SymbolTable.h"

#include <algorithm>
#include <unordered_set>

#include "common/HexText.h"

namespace velmora::symbols {

SymbolTable::SymbolTable(const std::vector<Symbol>& found) {
    std::unordered_set<std::string_view> seen;
    symbols_.reserve(found.size());
    for (const Symbol& s : found)
        if (seen.insert(s.name).second) symbols_.push_back(s);
    std::sort(symbols_.begin(), symbols_.end(), [](const Symbol& a, const Symbol& b) {
        return a.address != b.address ? a.address < b.address : a.name < b.name;
    });
}

std::optional<uint16_t> SymbolTable::addressOf(std::string_view name) const {
    for (const Symbol& s : symbols_)
        if (s.name == name) return s.address;
    return std::nullopt;
}

std::string SymbolTable::namesAt(uint16_t address) const {
    auto it = std::lower_bound(symbols_.begin(), symbols_.end(), address,
                               [](const Symbol& s, uint16_t a) { return s.address < a; });
    std::string names;
    for (; it != symbols_.end() && it->address == address; ++it)
        names += (names.empty() ? "" : ", ") + it->name;
    return names;
}

std::string symbolLines(const SymbolTable& table) {
    std::string out;
    for (const Symbol& s : table.symbols()) out += s.name + " " + hexNumber(s.address, 3) + "\n";
    return out;
}

std::optional<uint16_t> ramAddressOrName(std::string_view word, const SymbolTable& table) {
    // A name wins over hexadecimal: `add` or `cafe` may well be variables.
    if (auto named = table.addressOf(word)) return named;
    if (auto hex = parseHex(word, kRamAddressEnd - 1)) return static_cast<uint16_t>(*hex);
    return std::nullopt;
}

}  // namespace velmora::symbols
