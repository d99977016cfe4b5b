#pragma once
// One 256-byte page as a view reads it: two halves of 128 bytes, each read or not.

#include <array>
#include <cstdint>

namespace velmora::views {

struct PageRead {
    std::array<uint8_t, 256> bytes{};
    bool firstHalf = false;   // bytes 0x00..0x7F arrived
    bool secondHalf = false;  // bytes 0x80..0xFF arrived
    bool sent = false;        // anything was asked of the module (not at level 0)
    bool complete() const { return firstHalf && secondHalf; }
};

}  // namespace velmora::views
