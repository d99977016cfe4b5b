#include "system/NodeRange.h"

#include "common/HexText.h"

namespace velmora::system {

namespace {
std::optional<uint8_t> nodeAddress(std::string_view text) {
    if (text.empty() || text.size() > 2) return std::nullopt;
    auto v = parseHex(text, 0xFF);
    if (!v || *v == 0) return std::nullopt;
    return static_cast<uint8_t>(*v);
}
}  // namespace

std::optional<NodeRange> nodeRangeOf(std::string_view first, std::string_view last) {
    const auto a = nodeAddress(first);
    const auto b = nodeAddress(last);
    if (!a || !b || *a > *b) return std::nullopt;
    return NodeRange{*a, *b};
}

NodeRange nodeRangeOrWhole(int first, int last) {
    if (first < 1 || last > 0xFF || first > last) return {};
    return {static_cast<uint8_t>(first), static_cast<uint8_t>(last)};
}

}  // namespace velmora::system
