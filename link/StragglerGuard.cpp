#include "link/StragglerGuard.h"

#include <algorithm>

#include "link/FrameLayout.h"
#include "link/TimeLimits.h"

namespace velmora::link {

namespace {
constexpr size_t kLongestFrame = kFrameMax;
}

uint32_t StragglerGuard::guardMs(uint32_t baud) {
    return replyLimitMs(baud) + wireTimeMs(kLongestFrame, baud) + kQuietMs;
}

uint32_t StragglerGuard::overrunMs(uint32_t baud) {
    return wireTimeMs(kLongestFrame, baud) + kQuietMs;
}

void StragglerGuard::open(uint8_t node, uint64_t untilMs) {
    until_[node] = std::max(until_[node], untilMs);
}

uint64_t StragglerGuard::latest() const {
    return *std::max_element(until_.begin(), until_.end());
}

bool StragglerGuard::takeLateAnswer(uint8_t node) {
    const bool late = late_[node];
    late_[node] = false;
    return late;
}

}  // namespace velmora::link
