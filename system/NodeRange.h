#pragma once
// The node addresses a bus scan asks, as the user narrows them: the whole line (01 to FF)
// unless a bench needs fewer.

#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora::system {

struct NodeRange {
    uint8_t first = 1;
    uint8_t last = 0xFF;
    bool operator==(const NodeRange&) const = default;
};

// Two node addresses of one or two hexadecimal digits, 01 <= first <= last <= FF.
std::optional<NodeRange> nodeRangeOf(std::string_view first, std::string_view last);

// A range as kept in the settings file; the whole line for values that are not one.
NodeRange nodeRangeOrWhole(int first, int last);

}  // namespace velmora::system
