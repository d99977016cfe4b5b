// How the main window first appears on an X server.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "tests/support/PrivateXServer.h"

using velmora::testing::PrivateXServer;

// The stored size and place are the window's from the moment it is mapped. Given after
// the map, a window manager shows the window where it chose, at another size, and then
// moves it: a jump at every start. Without a window manager the program's own requests
// are what the root sees, so the geometry at the map is the one asked for before it.
TEST_F(PrivateXServer, TheWindowIsMappedAtItsStoredSizeAndPlace) {
    const std::string ini = "/tmp/velmora-geometry-" + std::to_string(::getpid()) + ".ini";
    {
        FILE* f = std::fopen(ini.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("[System]\r\nAutoSkan=0\r\n[Form]\r\nWidth=520\r\nHeight=420\r\nLeft=40\r\nTop=30\r\n", f);
        std::fclose(f);
    }
    XSelectInput(x_, DefaultRootWindow(x_), SubstructureNotifyMask);
    XSync(x_, False);
    const auto started = velmora::testing::startUntilShown({"--settings", ini, "--port", "/nonexistent/tty"});
    XSync(x_, False);  // every event up to the first frame is in
    struct Rect {
        int x, y, w, h;
    };
    std::map<Window, Rect> geometry;
    std::optional<Rect> atMap;
    while (XPending(x_) && !atMap) {
        XEvent e;
        XNextEvent(x_, &e);
        if (e.type == CreateNotify)
            geometry[e.xcreatewindow.window] = {e.xcreatewindow.x, e.xcreatewindow.y,
                                                e.xcreatewindow.width, e.xcreatewindow.height};
        if (e.type == ConfigureNotify)
            geometry[e.xconfigure.window] = {e.xconfigure.x, e.xconfigure.y, e.xconfigure.width,
                                             e.xconfigure.height};
        if (e.type == MapNotify && geometry.count(e.xmap.window)) atMap = geometry[e.xmap.window];
    }
    velmora::testing::endProgram(started);
    std::remove(ini.c_str());
    ASSERT_TRUE(started.shown) << "no window showed";
    ASSERT_TRUE(atMap) << "the window was never mapped";
    EXPECT_EQ(atMap->w, 520);
    EXPECT_EQ(atMap->h, 420);
    EXPECT_EQ(atMap->x, 40);
    EXPECT_EQ(atMap->y, 30);
}

