#include "symbols/ListingSymbols.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <unordered_set>

namespace velmora::symbols {

namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\r'; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> words(std::string_view s) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && blank(s[i])) ++i;
        const size_t start = i;
        while (i < s.size() && !blank(s[i])) ++i;
        if (i > start) out.push_back(s.substr(start, i - start));
    }
    return out;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool identifier(std::string_view s) {
    if (s.empty() || std::isdigit(static_cast<unsigned char>(s.front()))) return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '?' || c == '#';
    });
}

bool allOf(std::string_view s, const char* set) {
    return !s.empty() && s.find_first_not_of(set) == std::string_view::npos;
}

constexpr const char* kHexDigits = "0123456789ABCDEFabcdef";

// The source text of a listed source line: what follows its five-digit line number,
// which only the location, object code and value columns (hex digits, '?' for what
// the linker fills in) may precede. Nothing for the page headings, messages and the
// rest.
std::optional<std::string_view> sourceText(std::string_view line) {
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && blank(line[i])) ++i;
        const size_t start = i;
        while (i < line.size() && !blank(line[i])) ++i;
        const std::string_view word = line.substr(start, i - start);
        if (word.empty()) return std::nullopt;
        if (word.size() == 5 && allOf(word, "0123456789"))
            return i < line.size() ? line.substr(i + 1) : std::string_view{};
        if (!allOf(word, "0123456789ABCDEFabcdef?")) return std::nullopt;
    }
    return std::nullopt;
}

std::string_view withoutComment(std::string_view source) {
    bool quoted = false;
    for (size_t i = 0; i < source.size(); ++i) {
        if (source[i] == '"') quoted = !quoted;
        if (source[i] == ';' && !quoted) return source.substr(0, i);
    }
    return source;
}

// Follows the listed source: which names it reserves in data memory.
class SourceWalk {
public:
    void line(std::string_view source) {
        source = withoutComment(source);
        const bool labelled = !source.empty() && !blank(source.front());
        std::vector<std::string_view> w = words(source);
        if (w.empty()) return;
        if (inCblock_) {
            if (lower(w[0]) == "endc") {
                inCblock_ = false;
                return;
            }
            cblockNames(trimmed(source));
            return;
        }
        std::string_view label;
        if (labelled) {
            label = w[0];
            if (label.back() == ':') label.remove_suffix(1);
            w.erase(w.begin());
            if (w.empty()) return;
        }
        const std::string directive = lower(w[0]);
        if (directive == "cblock") {
            inCblock_ = true;
        } else if (directive == "res") {
            if (dataSection_ && identifier(label)) names.insert(std::string(label));
        } else if (kDataSections.count(directive)) {
            dataSection_ = w.size() > 1;  // placed at an address
        } else if (kCodeSections.count(directive)) {
            dataSection_ = false;
        }
    }

    std::unordered_set<std::string> names;

private:
    // "a, b:2, c" (a size after a colon).
    void cblockNames(std::string_view items) {
        size_t start = 0;
        while (start <= items.size()) {
            size_t end = items.find(',', start);
            if (end == std::string_view::npos) end = items.size();
            std::string_view item = trimmed(items.substr(start, end - start));
            item = trimmed(item.substr(0, item.find(':')));
            if (identifier(item)) names.insert(std::string(item));
            start = end + 1;
        }
    }

    inline static const std::unordered_set<std::string> kDataSections = {
        "udata", "udata_acs", "udata_ovr", "udata_shr", "idata", "idata_acs"};
    inline static const std::unordered_set<std::string> kCodeSections = {
        "code", "code_pack", "org", "config"};
    bool inCblock_ = false;
    bool dataSection_ = false;
};

bool headingAfter(const std::vector<std::string_view>& lines, size_t at) {
    for (size_t i = at + 1; i < lines.size() && i <= at + 3; ++i) {
        const std::vector<std::string_view> w = words(lines[i]);
        if (w.size() == 2 && w[0] == "LABEL" && w[1] == "VALUE") return true;
    }
    return false;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

bool tableLine(std::string_view line) { return trimmed(line) == "SYMBOL TABLE"; }

std::optional<size_t> firstTable(const std::vector<std::string_view>& lines) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (tableLine(lines[i]) && headingAfter(lines, i)) return i;
    return std::nullopt;
}

}  // namespace

bool looksLikeListing(std::string_view text) { return firstTable(splitLines(text)).has_value(); }

SymbolRead parseListing(std::string_view text) {
    SymbolRead result;
    const std::vector<std::string_view> lines = splitLines(text);
    const std::optional<size_t> table = firstTable(lines);
    if (!table) {
        result.error = "not a listing with a symbol table: no \"SYMBOL TABLE\" heading";
        return result;
    }
    SourceWalk walk;
    for (size_t i = 0; i < *table; ++i)
        if (auto source = sourceText(lines[i])) walk.line(*source);

    std::vector<Symbol> found;
    bool ended = false;
    for (size_t i = *table + 1; i < lines.size() && !ended; ++i) {
        const std::vector<std::string_view> w = words(lines[i]);
        ended = !w.empty() && w[0].rfind("Errors", 0) == 0 && lines[i].find(':') != std::string_view::npos;
        if (w.size() != 2 || w[1].size() > 8 || !allOf(w[1], kHexDigits)) continue;
        const std::string name(w[0]);
        if (!walk.names.count(name)) continue;
        const uint32_t value = static_cast<uint32_t>(std::stoul(std::string(w[1]), nullptr, 16));
        if (value < kRamAddressEnd) found.push_back({name, static_cast<uint16_t>(value)});
    }
    if (!ended) {
        result.error = "the listing ends inside its symbol table (no \"Errors :\" line after it): "
                       "the file is cut short";
        return result;
    }
    result.table = SymbolTable(found);
    return result;
}

}  // namespace velmora::symbols
