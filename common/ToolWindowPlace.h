#pragma once
// Where a tool window opens: beside the main window when the screen has room on either
// side, otherwise over it but below its title bar, so the bar and its buttons stay in
// reach; always inside the screen's free area.

namespace velmora {

struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int right() const { return left + width; }  // one past the last column
    int bottom() const { return top + height; }  // one past the last row
    bool operator==(const ScreenRect&) const = default;
};

// `main` is the main window's frame and `titleBar` the height of the frame above its
// client area; only the size of `tool` (the tool window's frame) counts; `area` is the
// screen's available geometry. The tool window's frame comes back, shortened only when
// neither the room below nor the room above the main window's title bar holds it.
ScreenRect placeToolWindow(ScreenRect main, int titleBar, ScreenRect tool, ScreenRect area);

}  // namespace velmora
