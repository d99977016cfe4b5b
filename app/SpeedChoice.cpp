#include "app/SpeedChoice.h"

namespace velmora::app {

int systemSpeedIndex(uint32_t bps) {
    for (std::size_t i = 0; i < kSystemSpeeds.size(); ++i)
        if (kSystemSpeeds[i] == bps) return static_cast<int>(i);
    return -1;
}

uint32_t normalizedSystemSpeed(uint32_t bps) {
    return systemSpeedIndex(bps) >= 0 ? bps : 115200;
}

}  // namespace velmora::app
