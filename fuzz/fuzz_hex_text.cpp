// Numbers and byte lists as people type them. Each parser is compared with a plain
// digit-by-digit reading written here, and what it accepts must print and parse back
// to the same value. Input: one byte choosing the decimal range, then the text.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "common/HexText.h"
#include "common/NumberText.h"

using namespace velmora;

namespace {

[[noreturn]] void fault(const char* what, std::string_view text) {
    std::fprintf(stderr, "fuzz_hex_text: %s for '%.*s'\n", what, static_cast<int>(text.size()),
                 text.data());
    std::abort();
}

int digitValue(char c, int base) {
    int v = c >= '0' && c <= '9'   ? c - '0'
            : c >= 'a' && c <= 'f' ? c - 'a' + 10
            : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                   : 99;
    return v < base ? v : -1;
}

// Whole text of digits, at most `max`; overflow past `max` refuses.
std::optional<uint64_t> reference(std::string_view text, int base, uint64_t max) {
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        int d = digitValue(c, base);
        if (d < 0) return std::nullopt;
        if (value > (max - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base))
            return std::nullopt;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    }
    return value;
}

// One optional sign, '-' or '+', then digits.
std::optional<long long> referenceSigned(std::string_view text, long long min, long long max) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    auto magnitude = reference(text, 10, 1ULL << 63);
    if (!magnitude) return std::nullopt;
    if (!negative && *magnitude > static_cast<uint64_t>(INT64_MAX)) return std::nullopt;
    long long v =
        negative ? static_cast<long long>(0 - *magnitude) : static_cast<long long>(*magnitude);
    if (v < min || v > max) return std::nullopt;
    return v;
}

std::optional<std::vector<uint8_t>> referenceByteList(std::string_view text) {
    std::vector<uint8_t> out;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        auto v = reference(text.substr(start, i - start), 16, 0xFF);
        if (!v) return std::nullopt;
        out.push_back(static_cast<uint8_t>(*v));
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static constexpr long long kRanges[][2] = {{0, 255},
                                               {-128, 127},
                                               {1, 999},
                                               {INT64_MIN, INT64_MAX},
                                               {-999999999999999999LL, 999999999999999999LL}};
    const auto& range = kRanges[data[0] % 5];
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    for (uint32_t max : {0xFFu, 0xFFFFu, 0xFFFFFFFFu}) {
        auto v = parseHex(text, max);
        if (v != reference(text, 16, max)) fault("parseHex differs", text);
        if (v && parseHex(hexNumber(*v, 0), max) != v) fault("hexNumber does not read back", text);
    }
    auto u = parseUnsigned(text);
    if (u != reference(text, 10, UINT64_MAX)) fault("parseUnsigned differs", text);
    if (u && parseUnsigned(std::to_string(*u)) != u) fault("unsigned does not read back", text);

    auto d = parseDecimal(text, range[0], range[1]);
    if (d != referenceSigned(text, range[0], range[1])) fault("parseDecimal differs", text);
    if (d && parseDecimal(std::to_string(*d), range[0], range[1]) != d)
        fault("decimal does not read back", text);

    auto bytes = parseHexByteList(text);
    if (bytes != referenceByteList(text)) fault("parseHexByteList differs", text);
    if (bytes && parseHexByteList(hexBytes(bytes->data(), bytes->size())) != bytes)
        fault("hexBytes does not read back", text);
    return 0;
}
