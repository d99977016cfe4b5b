#include "app/WindowGeometry.h"

#include <algorithm>

namespace velmora::app {

namespace {
int fitLength(int wanted, int smallest, int available) {
    return std::min(std::max(wanted, smallest), available);
}

int fitStart(int wanted, int length, int smallest, int areaStart, int areaLength) {
    // 64-bit: the area's far edge plus anything cannot overflow.
    const long long last =
        static_cast<long long>(areaStart) + areaLength - std::min(length, smallest);
    return static_cast<int>(std::clamp<long long>(wanted, areaStart, last));
}
}  // namespace

WindowRect fitIntoArea(WindowRect wanted, WindowRect area) {
    WindowRect r;
    r.width = fitLength(wanted.width, kSmallestWindowWidth, area.width);
    r.height = fitLength(wanted.height, kSmallestWindowHeight, area.height);
    r.left = fitStart(wanted.left, r.width, kSmallestWindowWidth, area.left, area.width);
    r.top = fitStart(wanted.top, r.height, kSmallestWindowHeight, area.top, area.height);
    return r;
}

}  // namespace velmora::app
