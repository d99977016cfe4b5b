// The start-up refusal beside the identifier writer, on a private X server.

#include <QGuiApplication>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/ForeignWindow.h"
#include "tests/support/PrivateXServer.h"

using namespace velmora::app;
using velmora::testing::PrivateXServer;

namespace {

const std::string kWriterTitle = "Запись идентификатора в модуль";

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
        const auto started = velmora::testing::startUntilShown(
            {"--settings", "/nonexistent/v.ini", "--port", "/nonexistent/tty"});
        velmora::testing::endProgram(started);
        EXPECT_TRUE(started.shown) << "start " << run << " showed no window";
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
