// How the main window first appears on an X server.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>

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


namespace {
std::string readFile(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
        std::fclose(f);
    }
    return text;
}

bool exitedWithin(pid_t pid, int ms) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return true;
        ::usleep(20000);
    }
    return false;
}
}  // namespace

// Under a window manager that frames it with a title bar, the window opens where the
// settings file says and writes back the same place at close, start after start. Saved
// as the frame's corner and applied as the client area's, it climbed a title bar's
// height (and a border's width) at every start.
TEST_F(PrivateXServer, TheWindowKeepsItsPlaceFromStartToStartUnderAWindowManager) {
    if (!startWindowManager()) GTEST_SKIP() << "openbox is not installed";
    const std::string ini = "/tmp/velmora-place-" + std::to_string(::getpid()) + ".ini";
    {
        FILE* f = std::fopen(ini.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("[System]\r\nAutoSkan=0\r\n[Form]\r\nWidth=420\r\nHeight=300\r\nLeft=100\r\nTop=100\r\n", f);
        std::fclose(f);
    }
    // A port that opens (a pseudo-terminal of the test's), so no port dialog holds the
    // window open at close.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string port = ::ptsname(master);
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE("start " + std::to_string(start));
        const auto started = velmora::testing::startUntilShown({"--settings", ini, "--port", port});
        ASSERT_TRUE(started.shown) << "no window showed";
        Window client = 0;
        for (int i = 0; i < 250 && !client; ++i) {
            client = windowOfProcess(started.pid);
            if (!client || frameOf(client) == client) {
                client = 0;
                ::usleep(20000);
            }
        }
        ASSERT_NE(client, 0u) << "the window manager never framed the window";
        // The window manager settles the frame after the map; its place is what counts.
        int x = 0, y = 0;
        for (int i = 0; i < 50; ++i) {
            XWindowAttributes a{};
            XGetWindowAttributes(x_, frameOf(client), &a);
            x = a.x;
            y = a.y;
            if (x == 100 && y == 100) break;
            ::usleep(20000);
        }
        EXPECT_EQ(x, 100);
        EXPECT_EQ(y, 100);
        askToClose(client);
        const bool exited = exitedWithin(started.pid, 10000);
        if (!exited) velmora::testing::endProgram(started);
        ASSERT_TRUE(exited) << "the window did not close when asked";
        const std::string saved = readFile(ini);
        EXPECT_NE(saved.find("Left=100\r\n"), std::string::npos) << saved;
        EXPECT_NE(saved.find("Top=100\r\n"), std::string::npos) << saved;
    }
    ::close(master);
    std::remove(ini.c_str());
}
