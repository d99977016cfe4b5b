#include "common/ToolWindowPlace.h"

#include <algorithm>

namespace velmora {

namespace {
// `start` moved so that `length` from it stays within [from, to).
int within(int start, int length, int from, int to) { return std::max(from, std::min(start, to - length)); }
}  // namespace

ScreenRect placeToolWindow(ScreenRect main, int titleBar, ScreenRect tool, ScreenRect area) {
    ScreenRect r{0, 0, std::min(tool.width, area.width), std::min(tool.height, area.height)};
    r.top = within(main.top, r.height, area.top, area.bottom());
    if (main.right() + r.width <= area.right()) {
        r.left = main.right();
        return r;
    }
    if (main.left - r.width >= area.left) {
        r.left = main.left - r.width;
        return r;
    }
    // Over the main window, one title bar in from its corner and just below its bar, as
    // a cascade of windows goes.
    r.left = within(main.left + titleBar, r.width, area.left, area.right());
    const int below = std::max(main.top + titleBar, area.top);
    const int roomBelow = area.bottom() - below, roomAbove = main.top - area.top;
    if (roomBelow >= r.height) {
        r.top = below;
    } else if (roomAbove >= r.height) {
        r.top = main.top - r.height;
    } else if (roomBelow >= roomAbove && roomBelow > 0) {
        r.top = below;
        r.height = roomBelow;
    } else if (roomAbove > 0) {
        r.top = area.top;
        r.height = roomAbove;
    }  // else the main window's bar is off the screen: anywhere inside it will do
    return r;
}

}  // namespace velmora
