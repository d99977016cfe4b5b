#pragma once
// Which module a read or write goes to: a node on the line, or an i2c module behind it
// that the node passes requests on to.

#include <cstdint>

namespace velmora::access {

struct ModuleAddress {
    uint8_t cid = 0;    // the node
    uint8_t slave = 0;  // the i2c module behind it (level 2)
    uint8_t level = 0;  // 0 nothing, 1 the node itself, 2 the i2c module
};

// The browsers and `watch` name a module by its two addresses alone: slave 0 is the node.
constexpr ModuleAddress moduleAt(uint8_t cid, uint8_t slave) {
    return {cid, slave, static_cast<uint8_t>(slave == 0 ? 1 : 2)};
}

}  // namespace velmora::access
