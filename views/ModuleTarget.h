#pragma once
// The module a view's sequence addresses: the node, the i2c sub-module behind it, and
// which of the two is meant (the selection level).

#include <cstdint>

namespace velmora::views {

struct ModuleTarget {
    uint8_t cid = 0;
    uint8_t slave = 0;
    uint8_t level = 0;  // 0 nothing, 1 the node itself, 2 the sub-module
};

inline constexpr uint8_t kAttempts = 3;  // every view transaction: 3 attempts

}  // namespace velmora::views
