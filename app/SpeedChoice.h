#pragma once
// The six system speeds and the speed setter's rule for every other value.

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmora::app {

inline constexpr std::array<uint32_t, 6> kSystemSpeeds = {1200, 2400, 9600, 19200, 57600, 115200};

// One of the six speeds stays; anything else becomes 115200.
uint32_t normalizedSystemSpeed(uint32_t bps);
// Index into kSystemSpeeds, or -1.
int systemSpeedIndex(uint32_t bps);

}  // namespace velmora::app
