#pragma once
// A private X server (Xvfb) for one test, with a connection of the test's own and
// helpers that make windows as clients and window managers make them. Tests skip where
// Xvfb is not installed.

#include <gtest/gtest.h>
// After GoogleTest (and Qt, where a test uses it): Xlib defines macros (None, Bool) that
// their headers also use as names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace velmora::testing {

class PrivateXServer : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed";
        // A display number nobody holds (no lock file), in a range desktops do not use;
        // a server that exits at once lost a race for it, so try the next one.
        for (int number = 100 + static_cast<int>(::getpid() % 300), tries = 0; tries < 20 && !x_;
             ++number, ++tries) {
            std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
            if (::access(lock.c_str(), F_OK) == 0) continue;
            display_ = ":" + std::to_string(number);
            pid_ = ::fork();
            if (pid_ == 0) {
                ::execl("/usr/bin/Xvfb", "Xvfb", display_.c_str(), "-nolisten", "tcp", "-screen",
                        "0", "640x480x24", static_cast<char*>(nullptr));
                ::_exit(127);
            }
            for (int i = 0; i < 250 && !x_; ++i) {
                if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                    pid_ = -1;
                    break;
                }
                x_ = XOpenDisplay(display_.c_str());
                if (!x_) ::usleep(20000);
            }
        }
        ASSERT_NE(x_, nullptr) << "Xvfb did not start";
        saved_ = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
        ::setenv("DISPLAY", display_.c_str(), 1);
    }
    void TearDown() override {
        if (wm_ > 0) {
            ::kill(wm_, SIGTERM);
            ::waitpid(wm_, nullptr, 0);
        }
        if (x_) XCloseDisplay(x_);
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (!saved_.empty())
            ::setenv("DISPLAY", saved_.c_str(), 1);
        else
            ::unsetenv("DISPLAY");
    }

    // WM_NAME written in `style`, as the toolkits write it.
    void setLegacyName(Window w, const std::string& title, XICCEncodingStyle style) {
        char* text = const_cast<char*>(title.c_str());
        XTextProperty prop{};
        Xutf8TextListToTextProperty(x_, &text, 1, style, &prop);
        XSetWMName(x_, w, &prop);
        XFree(prop.value);
    }

    // A window whose only name is WM_NAME.
    Window makeLegacyWindow(const std::string& title, XICCEncodingStyle style, Window parent = 0) {
        Window w =
            XCreateSimpleWindow(x_, parent ? parent : DefaultRootWindow(x_), 0, 0, 50, 50, 0, 0, 0);
        setLegacyName(w, title, style);
        XSync(x_, False);
        return w;
    }

    // `count` clients framed as a reparenting window manager frames them, each with
    // three child windows of its own.
    void makeFramedClients(int count) {
        for (int i = 0; i < count; ++i) {
            Window frame = makeWindow("", false, false);
            Window client = makeWindow("Документ " + std::to_string(i), true, true, frame);
            for (int k = 0; k < 3; ++k) XCreateSimpleWindow(x_, client, 0, 0, 5, 5, 0, 0, 0);
        }
        XSync(x_, False);
    }

    Window makeWindow(const std::string& title, bool utf8Name, bool legacyName, Window parent = 0) {
        Window w =
            XCreateSimpleWindow(x_, parent ? parent : DefaultRootWindow(x_), 0, 0, 50, 50, 0, 0, 0);
        if (utf8Name) {
            XChangeProperty(x_, w, XInternAtom(x_, "_NET_WM_NAME", False),
                            XInternAtom(x_, "UTF8_STRING", False), 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(title.data()),
                            static_cast<int>(title.size()));
        }
        if (legacyName) setLegacyName(w, title, XCompoundTextStyle);
        XMapWindow(x_, w);
        XSync(x_, False);
        return w;
    }

    // A reparenting window manager (openbox) on the server, as on a desktop: it frames
    // windows with a title bar, places them and gives the focus on a click. False where
    // Debian's openbox is not installed or did not take the screen within 5 s.
    bool startWindowManager() {
        if (::access("/usr/bin/openbox", X_OK) != 0) return false;
        wm_ = ::fork();
        if (wm_ == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execl("/usr/bin/openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // A window manager owns the screen's WM_S0 selection once it manages the screen.
        const Atom screen = XInternAtom(x_, "WM_S0", False);
        for (int i = 0; i < 250; ++i) {
            if (XGetSelectionOwner(x_, screen) != 0) return true;
            ::usleep(20000);
        }
        return false;
    }

    // The window a window manager framed `client` in (the root's child holding it), or
    // the client itself where nothing framed it.
    Window frameOf(Window client) {
        Window w = client;
        for (;;) {
            Window root = 0, parent = 0, *children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(x_, w, &root, &parent, &children, &count)) return w;
            if (children) XFree(children);
            if (parent == root || parent == 0) return w;
            w = parent;
        }
    }

    // The mapped window of process `pid` (its _NET_WM_PID), framed or not; 0 if none.
    Window windowOfProcess(pid_t pid, Window from = 0) {
        if (!from) from = DefaultRootWindow(x_);
        const Atom pidAtom = XInternAtom(x_, "_NET_WM_PID", False);
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        Window found = 0;
        if (!XQueryTree(x_, from, &root, &parent, &children, &count)) return 0;
        for (unsigned i = 0; i < count && !found; ++i) {
            XWindowAttributes a{};
            if (!XGetWindowAttributes(x_, children[i], &a) || a.map_state != IsViewable) continue;
            Atom type = 0;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(x_, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type,
                                   &format, &items, &after, &data) == Success && data) {
                if (items == 1 && *reinterpret_cast<unsigned long*>(data) ==
                                      static_cast<unsigned long>(pid))
                    found = children[i];
                XFree(data);
            }
            if (!found) found = windowOfProcess(pid, children[i]);
        }
        if (children) XFree(children);
        return found;
    }

    // What a window manager sends when its close button is clicked.
    void askToClose(Window client) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = client;
        e.xclient.message_type = XInternAtom(x_, "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(XInternAtom(x_, "WM_DELETE_WINDOW", False));
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(x_, client, False, NoEventMask, &e);
        XSync(x_, False);
    }

    std::string display_;
    std::string saved_;
    pid_t pid_ = -1;
    pid_t wm_ = -1;
    Display* x_ = nullptr;
};

#ifdef VELMORA_GUI_PATH
struct StartedProgram {
    pid_t pid = -1;
    bool shown = false;
};

// Starts the desktop program on the test's display with `args`, and waits (up to 20 s)
// for its first frame or the end of its output. The caller ends it.
inline StartedProgram startUntilShown(const std::vector<std::string>& args) {
    int out[2];
    if (::pipe(out) != 0) return {};
    StartedProgram started;
    started.pid = ::fork();
    if (started.pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::setenv("VELMORA_STARTUP_MARK", "1", 1);
        std::vector<char*> argv{const_cast<char*>("velmora")};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(VELMORA_GUI_PATH, argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    std::string seen;
    pollfd p{out[0], POLLIN, 0};
    while (seen.find("shown\n") == std::string::npos && ::poll(&p, 1, 20000) > 0) {
        char buf[256];
        const ssize_t n = ::read(out[0], buf, sizeof buf);
        if (n <= 0) break;
        seen.append(buf, static_cast<size_t>(n));
    }
    ::close(out[0]);
    started.shown = seen.find("shown\n") != std::string::npos;
    return started;
}

inline void endProgram(const StartedProgram& started) {
    if (started.pid <= 0) return;
    ::kill(started.pid, SIGKILL);
    ::waitpid(started.pid, nullptr, 0);
}
#endif

}  // namespace velmora::testing
