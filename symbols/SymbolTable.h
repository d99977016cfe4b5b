#pragma once
// Names for RAM addresses, taken from the symbol files the firmware's assembler writes
// (the `.cod` file and the `.lst` listing). Only data-memory names are kept: what the
// project reserved in RAM, never the processor include's register and bit names.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::symbols {

// RAM addresses of these chips are twelve bits wide; a value above that is no RAM address.
inline constexpr uint32_t kRamAddressEnd = 0x1000;

struct Symbol {
    std::string name;
    uint16_t address = 0;
    bool operator==(const Symbol&) const = default;
};

class SymbolTable {
public:
    SymbolTable() = default;
    // A name given twice keeps its first address, as the assembler does: it refuses the
    // second definition and goes on with the first, so that is the address the code uses.
    explicit SymbolTable(const std::vector<Symbol>& found);

    // Sorted by address, then by name.
    const std::vector<Symbol>& symbols() const { return symbols_; }
    bool empty() const { return symbols_.empty(); }

    // Names are matched exactly: the assembler tells `Count` from `count`.
    std::optional<uint16_t> addressOf(std::string_view name) const;
    // Every name given to `address`, in name order ("" when none).
    std::string namesAt(uint16_t address) const;

private:
    std::vector<Symbol> symbols_;
};

// A symbol file read: the table, or why there is none.
struct SymbolRead {
    SymbolTable table;
    std::string error;  // empty when the table is the file's whole answer
    bool ok() const { return error.empty(); }
};

// "NAME XXX", a line each, in the table's order.
std::string symbolLines(const SymbolTable& table);

// A RAM address typed as hexadecimal (000..FFF), or a name of the table.
std::optional<uint16_t> ramAddressOrName(std::string_view word, const SymbolTable& table);

}  // namespace velmora::symbols
