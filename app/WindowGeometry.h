#pragma once
// Where a restored window may go: a settings file can ask for any size and place, and
// a window larger than the screen costs memory and time while showing nothing more.

namespace velmora::app {

struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowRect&) const = default;
};

// The smallest window a settings file can ask for; a screen smaller than this gets
// its whole area.
inline constexpr int kSmallestWindowWidth = 200;
inline constexpr int kSmallestWindowHeight = 150;

// `wanted` shrunk to fit `area` (never below the smallest window), its top-left corner
// moved into `area` so far that at least the smallest window's worth of it shows: the
// title bar can always be reached. It may still reach past the right and bottom edges,
// as the usual 500 x 570 window at (100, 100) does on an 800 x 600 screen.
WindowRect fitIntoArea(WindowRect wanted, WindowRect area);

}  // namespace velmora::app
