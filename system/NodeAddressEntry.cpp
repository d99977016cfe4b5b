#include "system/NodeAddressEntry.h"

namespace velmora::system {

std::optional<char> addressFieldChar(size_t length, char typed) {
    char c = typed >= 'a' && typed <= 'z' ? static_cast<char>(typed - 'a' + 'A') : typed;
    const bool digit = c >= '0' && c <= '9';
    const bool letter = c >= 'A' && c <= 'F';
    if (length == 0) return digit || letter ? std::optional<char>(c) : std::nullopt;
    if (length == 1) {
        const bool even = digit ? (c - '0') % 2 == 0 : letter && (c - 'A') % 2 == 0;
        return even ? std::optional<char>(c) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<uint8_t> nodeAddressOf(std::string_view field) {
    if (field.empty() || field.size() > 2) return std::nullopt;
    unsigned v = 0;
    for (char c : field) {
        unsigned d;
        if (c >= '0' && c <= '9')
            d = static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F')
            d = static_cast<unsigned>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            d = static_cast<unsigned>(c - 'a' + 10);
        else
            return std::nullopt;
        v = v * 16 + d;
    }
    if (v == 0) return std::nullopt;
    return static_cast<uint8_t>(v);
}

std::optional<uint32_t> speedOfEntry(std::string_view entry) {
    while (!entry.empty() && entry.front() == ' ') entry.remove_prefix(1);
    if (entry.empty() || entry.size() > 9) return std::nullopt;
    uint32_t v = 0;
    for (char c : entry) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<uint32_t>(c - '0');
    }
    return v;
}

int speedEntryIndex(uint32_t baud) {
    switch (baud) {
        case 9600:
            return 0;
        case 19200:
            return 1;
        case 57600:
            return 2;
        default:
            return 3;
    }
}

}  // namespace velmora::system
