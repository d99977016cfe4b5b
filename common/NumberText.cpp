#include "common/NumberText.h"

#include <charconv>

namespace velmora {

namespace {

// from_chars accepts a leading '-' for signed types and stops at the first stray
// character; the callers here want the whole text or nothing.
template <typename T>
std::optional<T> wholeNumber(std::string_view text, int base) {
    if (text.empty()) return std::nullopt;
    T value{};
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

bool allDigits(std::string_view text, int base) {
    for (char c : text) {
        const bool dec = c >= '0' && c <= '9';
        const bool hex = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!dec && !(base == 16 && hex)) return false;
    }
    return true;
}

}  // namespace

std::optional<uint32_t> parseHex(std::string_view text, uint32_t max) {
    if (!allDigits(text, 16)) return std::nullopt;
    auto v = wholeNumber<uint64_t>(text, 16);
    if (!v || *v > max) return std::nullopt;
    return static_cast<uint32_t>(*v);
}

std::optional<long long> parseDecimal(std::string_view text, long long min, long long max) {
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
        digits.remove_prefix(1);
    if (digits.empty() || !allDigits(digits, 10)) return std::nullopt;
    // One sign at most: "+-5" is refused above. from_chars takes '-' but not '+'.
    if (text.front() == '+') text.remove_prefix(1);
    auto v = wholeNumber<long long>(text, 10);
    if (!v || *v < min || *v > max) return std::nullopt;
    return v;
}

std::optional<uint64_t> parseUnsigned(std::string_view text, uint64_t max) {
    if (!allDigits(text, 10)) return std::nullopt;
    auto v = wholeNumber<uint64_t>(text, 10);
    if (!v || *v > max) return std::nullopt;
    return v;
}

}  // namespace velmora
