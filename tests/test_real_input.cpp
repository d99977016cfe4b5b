// The desktop program driven as a person drives it: real key presses through XTEST on a
// private X server, the simulator on a pseudo-terminal, and the outcome read from what
// the simulator received. Nothing here reaches into the program.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/PrivateXServer.h"
// After the Xlib headers the server's support brings in.
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace velmora::testing {
namespace {

bool waitUntil(const std::function<bool()>& done, int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) return true;
        ::usleep(20000);
    }
    return done();
}

class RealInput : public PrivateXServer {
protected:
    void SetUp() override {
        PrivateXServer::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        int event, error, major, minor;
        if (!XTestQueryExtension(x_, &event, &error, &major, &minor))
            GTEST_SKIP() << "the X server has no XTEST extension";
        const std::string base = "/tmp/velmora-input-" + std::to_string(::getpid());
        link_ = base + ".tty";
        wire_ = base + ".wire";
        ini_ = base + ".ini";
        std::remove(wire_.c_str());
        startSimulator();
        ASSERT_TRUE(waitUntil([&] { return ::access(link_.c_str(), F_OK) == 0; }, 5000))
            << "the simulator made no pseudo-terminal";
        // No scan at start: the line carries only what the test types.
        std::ofstream(ini_) << "[System]\r\nAutoSkan=0\r\n[Form]\r\nWidth=500\r\nHeight=570\r\n"
                               "Left=0\r\nTop=0\r\n";
        program_ = startUntilShown({"--settings", ini_, "--port", link_});
        ASSERT_TRUE(program_.shown) << "no window showed";
        ASSERT_TRUE(waitUntil([&] { return (window_ = programWindow()) != 0; }, 5000))
            << "the window was never mapped";
        // No window manager: the test gives the focus as one would, and keeps the pointer
        // over the window.
        XWindowAttributes a{};
        XGetWindowAttributes(x_, window_, &a);
        XTestFakeMotionEvent(x_, -1, a.x + a.width / 2, a.y + a.height / 2, CurrentTime);
        XSetInputFocus(x_, window_, RevertToParent, CurrentTime);
        XSync(x_, False);
        ASSERT_TRUE(waitUntil(
            [&] {
                Window focus = 0;
                int revert = 0;
                XGetInputFocus(x_, &focus, &revert);
                return focus == window_;
            },
            5000));
    }
    void TearDown() override {
        endProgram(program_);
        if (sim_ > 0) {
            ::kill(sim_, SIGTERM);
            ::waitpid(sim_, nullptr, 0);
        }
        for (const std::string& f : {wire_, ini_}) std::remove(f.c_str());
        PrivateXServer::TearDown();
    }

    void startSimulator() {
        sim_ = ::fork();
        if (sim_ == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::execl(VELMORA_SIM_PATH, "velmora-sim", "--link", link_.c_str(), "--log-requests",
                    wire_.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }

    // The program's top-level window: the mapped child of the root that carries its pid.
    Window programWindow() {
        const Atom pidAtom = XInternAtom(x_, "_NET_WM_PID", False);
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        Window found = 0;
        if (!XQueryTree(x_, DefaultRootWindow(x_), &root, &parent, &children, &count)) return 0;
        for (unsigned i = 0; i < count && !found; ++i) {
            XWindowAttributes a{};
            if (!XGetWindowAttributes(x_, children[i], &a) || a.map_state != IsViewable) continue;
            Atom type = 0;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(x_, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type,
                                   &format, &items, &after, &data) == Success &&
                data) {
                if (items == 1 && *reinterpret_cast<unsigned long*>(data) ==
                                      static_cast<unsigned long>(program_.pid))
                    found = children[i];
                XFree(data);
            }
        }
        if (children) XFree(children);
        return found;
    }

    // One press and release of `sym`, with `modifier` (a modifier's keysym) held.
    void press(KeySym sym, KeySym modifier = NoSymbol) {
        const KeyCode mod = modifier == NoSymbol ? 0 : XKeysymToKeycode(x_, modifier);
        const KeyCode code = XKeysymToKeycode(x_, sym);
        ASSERT_NE(code, 0) << XKeysymToString(sym) << " is not on the keyboard";
        if (mod) XTestFakeKeyEvent(x_, mod, True, CurrentTime);
        XTestFakeKeyEvent(x_, code, True, CurrentTime);
        XTestFakeKeyEvent(x_, code, False, CurrentTime);
        if (mod) XTestFakeKeyEvent(x_, mod, False, CurrentTime);
        XSync(x_, False);
    }
    // The page tabs stand in a row under the pages, three of a third of 420 px each,
    // above the status bar; the Terminal tab is the third.
    void clickTerminalTab() {
        XWindowAttributes a{};
        XGetWindowAttributes(x_, window_, &a);
        XTestFakeMotionEvent(x_, -1, a.x + 350, a.y + a.height - 40, CurrentTime);
        XTestFakeButtonEvent(x_, 1, True, CurrentTime);
        XTestFakeButtonEvent(x_, 1, False, CurrentTime);
        XSync(x_, False);
    }
    // Typed as on a keyboard: digits, lower-case letters and blanks, no Shift needed.
    void type(const std::string& text) {
        for (char c : text) {
            const std::string name = c == ' ' ? "space" : std::string(1, c);
            press(XStringToKeysym(name.c_str()));
        }
    }
    std::vector<std::string> wire() {
        std::vector<std::string> lines;
        std::ifstream in(wire_);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    bool sent(const std::vector<std::string>& frames) {
        if (waitUntil([&] { return wire() == frames; }, 5000)) return true;
        for (const std::string& line : wire()) ADD_FAILURE() << "on the line: " << line;
        return false;
    }

    std::string link_, wire_, ini_;
    pid_t sim_ = -1;
    StartedProgram program_;
    Window window_ = 0;
};

}  // namespace

// The command line on the Terminal page, opened by a click on its tab (the command line
// then has the focus): each frame goes out once, with its CRC16 (Modbus, low byte
// first), as the simulator received it.
TEST_F(RealInput, TheCommandLineSendsWhatIsTypedThroughItsFilter) {
    clickTerminalTab();
    type("1 70 0 10 4");
    press(XK_Return);
    ASSERT_TRUE(sent({"01 70 00 10 04 0F 03"})) << "typing and Enter sent nothing";
    for (int i = 0; i < 11; ++i) press(XK_BackSpace);
    // x and k are refused, a is upper-cased; the keypad's Enter sends too.
    type("0a xk7");
    press(XK_KP_Enter);
    ASSERT_TRUE(sent({"01 70 00 10 04 0F 03", "0A 07 46 D2"}));
    // Both lines are in the history, newest first: two steps down is the first one.
    for (int i = 0; i < 4; ++i) press(XK_BackSpace);
    press(XK_Down);
    press(XK_Down);
    press(XK_Return);
    EXPECT_TRUE(sent({"01 70 00 10 04 0F 03", "0A 07 46 D2", "01 70 00 10 04 0F 03"}))
        << "the history did not bring the first command back";
}

}  // namespace velmora::testing
