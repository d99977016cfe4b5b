#include "common/HexText.h"

namespace velmora {

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";

}  // namespace

std::string hexNumber(uint32_t value, int digits) {
    std::string out;
    do {
        out.insert(out.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    while (static_cast<int>(out.size()) < digits) out.insert(out.begin(), '0');
    return out;
}

std::string hexBytes(const uint8_t* data, size_t count) {
    std::string out;
    out.reserve(count * 3);
    for (size_t i = 0; i < count; ++i) {
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 0xF];
        out += ' ';
    }
    return out;
}

std::optional<std::vector<uint8_t>> parseHexByteList(std::string_view text) {
    std::vector<uint8_t> out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (start == i) break;
        auto v = parseHex(text.substr(start, i - start), 0xFF);
        if (!v) return std::nullopt;
        out.push_back(static_cast<uint8_t>(*v));
    }
    return out;
}

}  // namespace velmora
