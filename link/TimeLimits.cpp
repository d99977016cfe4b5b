#include "link/TimeLimits.h"

namespace velmora::link {

uint32_t replyLimitMs(uint32_t baud) {
    switch (baud) {
        case 19200:
            return 300;
        case 57600:
        case 115200:
            return 200;
        default:
            return 600;
    }
}

uint32_t wireTimeMs(size_t bytes, uint32_t baud) {
    if (baud == 0) return 0;
    uint64_t bits = static_cast<uint64_t>(bytes) * 10 * 1000;
    return static_cast<uint32_t>((bits + baud - 1) / baud);
}

}  // namespace velmora::link
