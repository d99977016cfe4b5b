#pragma once
// Looks for a top-level window by its title, so the program can refuse to run beside
// the module identifier writer.

#include <string>

namespace velmora::app {

enum class WindowLookup { Found, NotFound, Unavailable };

// Walks the X11 window tree reading each window's UTF-8 name (_NET_WM_NAME) and its
// legacy name (WM_NAME); not every session runs a window manager that keeps a client
// list. Unavailable without an X11 display (Wayland-only or offscreen sessions).
WindowLookup findTopLevelWindow(const std::string& utf8Title);
// The same, once the application exists: through its own X11 connection when it runs on
// X11, through a connection of its own otherwise (an offscreen run beside an X display).
WindowLookup findTopLevelWindowFromApplication(const std::string& utf8Title);

}  // namespace velmora::app
