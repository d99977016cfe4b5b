// The start-up refusal beside the identifier writer, on a private X server.

#include <QGuiApplication>
#include <gtest/gtest.h>
// After Qt and GoogleTest: Xlib defines macros (None, Bool) that its headers also use as names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/ForeignWindow.h"

using namespace velmora::app;

namespace {

const std::string kWriterTitle = "Запись идентификатора в модуль";

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

    // A window whose only name is WM_NAME, written in `style` as the toolkits write it.
    Window makeLegacyWindow(const std::string& title, XICCEncodingStyle style, Window parent = 0) {
        Window w =
            XCreateSimpleWindow(x_, parent ? parent : DefaultRootWindow(x_), 0, 0, 50, 50, 0, 0, 0);
        char* text = const_cast<char*>(title.c_str());
        XTextProperty prop{};
        Xutf8TextListToTextProperty(x_, &text, 1, style, &prop);
        XSetWMName(x_, w, &prop);
        XFree(prop.value);
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
        if (legacyName) {
            char* text = const_cast<char*>(title.c_str());
            XTextProperty prop{};
            Xutf8TextListToTextProperty(x_, &text, 1, XCompoundTextStyle, &prop);
            XSetWMName(x_, w, &prop);
            XFree(prop.value);
        }
        XMapWindow(x_, w);
        XSync(x_, False);
        return w;
    }

    std::string display_;
    std::string saved_;
    pid_t pid_ = -1;
    Display* x_ = nullptr;
};

}  // namespace

TEST_F(PrivateXServer, FindsTheWriterByItsUtf8Name) {
    EXPECT_EQ(findTopLevelWindow(kWriterTitle), WindowLookup::NotFound);
    makeWindow(kWriterTitle, true, false);
    EXPECT_EQ(findTopLevelWindow(kWriterTitle), WindowLookup::Found);
}

TEST_F(PrivateXServer, FindsTheWriterByItsLegacyName) {
    makeWindow(kWriterTitle, false, true);
    EXPECT_EQ(findTopLevelWindow(kWriterTitle), WindowLookup::Found);
}

TEST_F(PrivateXServer, FindsAClientInsideAWindowManagersFrame) {
    Window frame = makeWindow("frame", true, false);
    makeWindow(kWriterTitle, true, true, frame);
    EXPECT_EQ(findTopLevelWindow(kWriterTitle), WindowLookup::Found);
}

// Names as the toolkits write WM_NAME: Latin-1 text as STRING, other text as compound
// text or as UTF-8.
TEST_F(PrivateXServer, FindsLegacyNamesInEachEncoding) {
    struct Case {
        std::string title;
        XICCEncodingStyle style;
    };
    const Case cases[] = {
        {"Kennung schreiben: Modul über Bus", XStringStyle},
        {kWriterTitle, XCompoundTextStyle},
        {kWriterTitle, XUTF8StringStyle},
        {"Écrire l'identifiant", XCompoundTextStyle},
    };
    for (const Case& c : cases) {
        Window w = makeLegacyWindow(c.title, c.style);
        EXPECT_EQ(findTopLevelWindow(c.title), WindowLookup::Found) << c.title << " style " << c.style;
        EXPECT_EQ(findTopLevelWindow(c.title + "!"), WindowLookup::NotFound) << c.title;
        XDestroyWindow(x_, w);
        XSync(x_, False);
        EXPECT_EQ(findTopLevelWindow(c.title), WindowLookup::NotFound) << c.title;
    }
}

// WM_NAME is a text property: a list of strings, NUL between them, and some programs end
// the last one with a NUL as well. Written byte for byte, as such programs write it.
TEST_F(PrivateXServer, ReadsLegacyNamesAsTheListsTheyAre) {
    const Atom utf8 = XInternAtom(x_, "UTF8_STRING", False);
    const std::string nul(1, '\0');
    struct Case {
        const char* what;
        Atom type;
        std::string bytes;
        std::string title;
        WindowLookup expected;
    };
    const Case cases[] = {
        {"UTF-8, ended by a NUL", utf8, kWriterTitle + nul, kWriterTitle, WindowLookup::Found},
        {"UTF-8, second of two", utf8, "Проводник" + nul + kWriterTitle, kWriterTitle, WindowLookup::Found},
        {"Latin-1, ended by a NUL", XA_STRING, "Kennung \xfc" + nul, "Kennung ü", WindowLookup::Found},
        {"Latin-1, first of two", XA_STRING, "Kennung \xfc" + nul + "x", "Kennung ü", WindowLookup::Found},
        {"UTF-8, the title split in two", utf8, "Запись" + nul + " идентификатора в модуль", kWriterTitle,
         WindowLookup::NotFound},
        {"UTF-8, a NUL within the first string", utf8, nul + kWriterTitle + "!", kWriterTitle,
         WindowLookup::NotFound},
    };
    for (const Case& c : cases) {
        Window w = XCreateSimpleWindow(x_, DefaultRootWindow(x_), 0, 0, 50, 50, 0, 0, 0);
        XChangeProperty(x_, w, XA_WM_NAME, c.type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(c.bytes.data()), static_cast<int>(c.bytes.size()));
        XSync(x_, False);
        EXPECT_EQ(findTopLevelWindow(c.title), c.expected) << c.what;
        XDestroyWindow(x_, w);
        XSync(x_, False);
    }
}

// The root, a window manager's frame, the client in it and the client's own windows
// are looked at; what lies deeper is not a top-level window's.
TEST_F(PrivateXServer, LooksThreeLevelsBelowTheRootAndNoDeeper) {
    makeFramedClients(60);
    Window frame = makeWindow("", false, false);
    Window client = makeWindow("Клиент", true, false, frame);
    Window inner = makeWindow(kWriterTitle, true, true, client);
    EXPECT_EQ(findTopLevelWindow(kWriterTitle), WindowLookup::Found);
    XDestroyWindow(x_, inner);
    Window holder = makeWindow("", false, false, client);
    makeWindow(kWriterTitle, true, true, holder);
    EXPECT_EQ(findTopLevelWindow(kWriterTitle), WindowLookup::NotFound);
}

TEST_F(PrivateXServer, FindsTheWriterAmongManyClients) {
    makeFramedClients(100);
    Window frame = makeWindow("", false, false);
    makeWindow(kWriterTitle, true, false, frame);
    makeFramedClients(100);
    EXPECT_EQ(findTopLevelWindow(kWriterTitle), WindowLookup::Found);
}

// The program looks out through its own connection, which outlives each look-out: the
// answers an early find leaves unread must not be taken for a later look-out's.
TEST_F(PrivateXServer, TheApplicationsConnectionServesOneLookOutAfterAnother) {
    const std::string platform = std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    {
        int argc = 1;
        char name[] = "velmora_x11_tests";
        char* argv[] = {name, nullptr};
        QGuiApplication app(argc, argv);
        Window early = makeWindow(kWriterTitle, true, false);  // the root's first child
        makeFramedClients(80);
        for (int round = 0; round < 3; ++round)
            EXPECT_EQ(findTopLevelWindowFromApplication(kWriterTitle), WindowLookup::Found) << round;
        XDestroyWindow(x_, early);
        XSync(x_, False);
        for (int round = 0; round < 2; ++round)
            EXPECT_EQ(findTopLevelWindowFromApplication(kWriterTitle), WindowLookup::NotFound) << round;
        Window frame = makeWindow("", false, false);
        makeLegacyWindow(kWriterTitle, XCompoundTextStyle, frame);
        EXPECT_EQ(findTopLevelWindowFromApplication(kWriterTitle), WindowLookup::Found);
    }
    if (!platform.empty())
        ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    else
        ::unsetenv("QT_QPA_PLATFORM");
}

TEST_F(PrivateXServer, OtherTitlesDoNotCount) {
    makeWindow("Запись идентификатора", true, true);
    makeWindow(kWriterTitle + " 2", true, true);
    EXPECT_EQ(findTopLevelWindow(kWriterTitle), WindowLookup::NotFound);
}

TEST_F(PrivateXServer, TheProgramEndsAtOnceBesideTheWriter) {
    makeWindow(kWriterTitle, true, false);
    pid_t child = ::fork();
    if (child == 0) {
        ::execl(VELMORA_GUI_PATH, "velmora", "--settings", "/nonexistent/v.ini",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = -1;
    // The refusal comes before any window; a started program would never end by itself.
    for (int i = 0; i < 250; ++i) {
        if (::waitpid(child, &status, WNOHANG) == child) break;
        ::usleep(20000);
    }
    if (!WIFEXITED(status)) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "velmora kept running beside the identifier writer";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// An X server with no client at all resets itself when the last one leaves, and turns
// connections away meanwhile. The look-out for the writer must not be that last client
// just before the window connects: on such a server (a kiosk, Xvfb) the program would
// fail to start every other time.
TEST_F(PrivateXServer, StartsEveryTimeOnAServerWithNoOtherClient) {
    XCloseDisplay(x_);
    x_ = nullptr;
    for (int run = 0; run < 6; ++run) {
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        pid_t child = ::fork();
        if (child == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::setenv("QT_QPA_PLATFORM", "xcb", 1);
            ::setenv("VELMORA_STARTUP_MARK", "1", 1);
            ::execl(VELMORA_GUI_PATH, "velmora", "--settings", "/nonexistent/v.ini", "--port",
                    "/nonexistent/tty", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        std::string seen;
        pollfd p{out[0], POLLIN, 0};
        // Waits for the first frame or the end of the output, whichever comes first.
        while (seen.find("shown\n") == std::string::npos && ::poll(&p, 1, 20000) > 0) {
            char buf[256];
            const ssize_t n = ::read(out[0], buf, sizeof buf);
            if (n <= 0) break;
            seen.append(buf, static_cast<size_t>(n));
        }
        ::close(out[0]);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        EXPECT_NE(seen.find("shown\n"), std::string::npos) << "start " << run << " showed no window";
    }
}

TEST(NoDisplay, LookupIsUnavailable) {
    std::string saved = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    ::setenv("DISPLAY", ":9999", 1);
    EXPECT_EQ(findTopLevelWindow(kWriterTitle), WindowLookup::Unavailable);
    if (!saved.empty())
        ::setenv("DISPLAY", saved.c_str(), 1);
    else
        ::unsetenv("DISPLAY");
}
