#include "symbols/CodSymbols.h"

#include <cstdint>
#include <string>

namespace velmora::symbols {

namespace {

constexpr size_t kBlock = 512;

// Offsets in the directory block.
struct DirText {
    size_t offset;
    size_t maxLength;
};
constexpr DirText kSourceName{0x100, 63};
constexpr DirText kCompiler{0x15E, 11};
constexpr DirText kProcessor{0x1C5, 8};
constexpr size_t kShortTable = 0x1AA;
constexpr size_t kLongTable = 0x1CE;

constexpr uint16_t kTypeCShort = 2;

constexpr size_t kShortRecord = 16;
constexpr size_t kShortNameMax = 12;
constexpr size_t kLongRecordExtra = 7;  // length byte, type, value

uint8_t byteAt(std::string_view b, size_t at) { return static_cast<uint8_t>(b[at]); }

uint16_t low16(std::string_view b, size_t at) {
    return static_cast<uint16_t>(byteAt(b, at) | byteAt(b, at + 1) << 8);
}

uint32_t high32(std::string_view b, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = v << 8 | byteAt(b, at + i);
    return v;
}

bool printable(std::string_view text) {
    for (char c : text)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

// A symbol name as assemblers allow them: printable, no blank.
bool symbolName(std::string_view name) {
    if (name.empty() || !printable(name)) return false;
    return name.find(' ') == std::string_view::npos;
}

bool dirText(std::string_view dir, DirText field, bool required) {
    const size_t length = byteAt(dir, field.offset);
    if (length > field.maxLength || (required && length == 0)) return false;
    return printable(dir.substr(field.offset + 1, length));
}

struct BlockRange {
    size_t first = 0, last = 0;
    bool present() const { return first != 0; }
};

BlockRange rangeAt(std::string_view dir, size_t at) { return {low16(dir, at), low16(dir, at + 2)}; }

std::string blockText(size_t block) { return "block " + std::to_string(block); }

void keep(std::vector<Symbol>& out, std::string_view name, unsigned type, uint32_t value) {
    if (type == kTypeCShort && value < kRamAddressEnd)
        out.push_back({std::string(name), static_cast<uint16_t>(value)});
}

// Each reader returns the error, empty when the block was read whole.
std::string readLongBlock(std::string_view block, size_t number, std::vector<Symbol>& out) {
    size_t at = 0;
    while (at < kBlock) {
        const size_t length = byteAt(block, at);
        if (length == 0) break;
        if (at + length + kLongRecordExtra > kBlock)
            return "a symbol record runs past the end of " + blockText(number);
        const std::string_view name = block.substr(at + 1, length);
        if (!symbolName(name)) return "a symbol name in " + blockText(number) + " is not text";
        keep(out, name, low16(block, at + 1 + length), high32(block, at + 3 + length));
        at += length + kLongRecordExtra;
    }
    return {};
}

std::string readShortBlock(std::string_view block, size_t number, std::vector<Symbol>& out) {
    for (size_t at = 0; at < kBlock; at += kShortRecord) {
        const size_t length = byteAt(block, at);
        if (length == 0) continue;
        const std::string_view name = block.substr(at + 1, length);
        if (length > kShortNameMax || !symbolName(name))
            return "a symbol name in " + blockText(number) + " is not text";
        keep(out, name, byteAt(block, at + 13), low16(block, at + 14));
    }
    return {};
}

}  // namespace

bool looksLikeCod(std::string_view bytes) {
    if (bytes.size() < kBlock) return false;
    const std::string_view dir = bytes.substr(0, kBlock);
    return dirText(dir, kSourceName, true) && dirText(dir, kCompiler, false) &&
           dirText(dir, kProcessor, true);
}

SymbolRead parseCod(std::string_view bytes) {
    SymbolRead result;
    if (!looksLikeCod(bytes)) {
        result.error = "not a .cod file: it has no directory block";
        return result;
    }
    if (bytes.size() % kBlock != 0) {
        result.error = "the .cod file is cut short: its " + std::to_string(bytes.size()) +
                       " bytes are not whole 512-byte blocks";
        return result;
    }
    const std::string_view dir = bytes.substr(0, kBlock);
    const size_t blocks = bytes.size() / kBlock;
    std::vector<Symbol> found;
    using Reader = std::string (*)(std::string_view, size_t, std::vector<Symbol>&);
    const struct {
        size_t offset;
        Reader read;
        const char* what;
    } tables[] = {{kShortTable, readShortBlock, "short"}, {kLongTable, readLongBlock, "long"}};
    for (const auto& t : tables) {
        const BlockRange range = rangeAt(dir, t.offset);
        if (!range.present()) continue;
        if (range.last < range.first || range.last >= blocks) {
            result.error = std::string("the ") + t.what + " symbol table (blocks " +
                           std::to_string(range.first) + " to " + std::to_string(range.last) +
                           ") is not within the file's " + std::to_string(blocks) +
                           " blocks: the file is cut short or damaged";
            return result;
        }
        for (size_t b = range.first; b <= range.last; ++b) {
            result.error = t.read(bytes.substr(b * kBlock, kBlock), b, found);
            if (!result.error.empty()) return result;
        }
    }
    result.table = SymbolTable(found);
    return result;
}

}  // namespace velmora::symbols
