#pragma once
// The desktop program driven as a person drives it: real key presses and clicks through
// XTEST on a private X server, the simulator on a pseudo-terminal, the outcome read from
// what the simulator received. The program's test probe (VELMORA_PROBE) says where a
// control is and what has the focus; nothing else reaches into the program.
//
// The tests pass with a window manager and without one: a window the test means to type
// into is made active by the test when nothing else has made it so.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/PrivateXServer.h"
// After the Xlib headers the server's support brings in.
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace velmora::testing {

inline bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) return true;
        ::usleep(10000);
    }
    return done();
}

// A rectangle on the screen as the probe gives it; empty when the thing is not shown.
struct Place {
    int x = 0, y = 0, w = 0, h = 0;
    bool shown() const { return w > 0 && h > 0; }
};

// The simulated network as sim/SimConfig.cpp lays it out: node 01 with i2c modules 10
// and 22, node 03 with none. The tree shows them in that order under its root.
enum TreeRow { kTreeRoot = 0, kTreeNode01 = 1, kTreeModule10 = 2, kTreeModule22 = 3, kTreeNode03 = 4 };

struct ProgramStart {
    bool autoScan = false;
    // The two nodes and their modules put in the tree at start, from sysConfig.trm.
    bool knownNetwork = false;
    bool helpFile = false;
    // The simulator's network description; empty for its built-in one.
    std::string network = "";
    // [System] SymbolFile: the project's symbol file.
    std::string symbolFile = "";
};

class RealInput : public PrivateXServer {
protected:
    void SetUp() override {
        PrivateXServer::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        int event, error, major, minor;
        if (!XTestQueryExtension(x_, &event, &error, &major, &minor))
            GTEST_SKIP() << "the X server has no XTEST extension";
        // As on a desktop: a window manager frames, places and focuses the windows
        // (where Debian's openbox is installed; the tests hold without one too).
        if (!std::getenv("VELMORA_REAL_INPUT_NO_WM")) startWindowManager();
        dir_ = "/tmp/velmora-input-" + std::to_string(::getpid());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        link_ = dir_ + "/tty";
        wire_ = dir_ + "/wire";
    }
    void TearDown() override {
        if (probe_ >= 0) ::close(probe_);
        endProgram(program_);
        if (sim_ > 0) {
            ::kill(sim_, SIGTERM);
            ::waitpid(sim_, nullptr, 0);
        }
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
        PrivateXServer::TearDown();
    }

    // Starts the simulator and the program in the test's folder, and waits until the
    // program's window is active.
    void start(const ProgramStart& how = {}) {
        startSimulator(how.network);
        ASSERT_TRUE(waitUntil([&] { return ::access(link_.c_str(), F_OK) == 0; }))
            << "the simulator made no pseudo-terminal";
        // With the exchange log on (Prot=1) the test sees when an answer was taken in.
        std::ofstream(dir_ + "/velmora.ini")
            << "[System]\r\nAutoSkan=" << (how.autoScan ? 1 : 0)
            << "\r\nProt=1\r\nSymbolFile=" << how.symbolFile << "\r\n[Form]\r\nWidth=620\r\nHeight=440\r\nLeft=0\r\nTop=0\r\n";
        if (how.knownNetwork) writeConfiguration();
        if (how.helpFile)
            std::filesystem::copy_file(VELMORA_SOURCE_DIR "/Velmora.hlp", dir_ + "/Velmora.hlp");
        // The program reads sysConfig.trm and looks for help in its current folder.
        const std::string probe = dir_ + "/probe";
        char here[4096];
        ASSERT_NE(::getcwd(here, sizeof here), nullptr);
        ASSERT_EQ(::chdir(dir_.c_str()), 0);
        ::setenv("VELMORA_PROBE", probe.c_str(), 1);
        program_ = startUntilShown({"--settings", dir_ + "/velmora.ini", "--port", link_});
        ::unsetenv("VELMORA_PROBE");
        ASSERT_EQ(::chdir(here), 0);
        ASSERT_TRUE(program_.shown) << "no window showed";
        ASSERT_TRUE(waitUntil([&] { return connectProbe(probe); })) << "the probe never listened";
        // Over the window, as a person's pointer would be.
        const Place w = where("TFTerminal");
        XTestFakeMotionEvent(x_, -1, w.x + w.w / 2, w.y + w.h / 2, CurrentTime);
        activate("TFTerminal");
    }

    // sysConfig.trm naming the network's nodes and modules: "[node]", the module
    // count, the modules.
    void writeConfiguration() {
        std::ofstream(dir_ + "/sysConfig.trm") << "[01]\r\n2\r\n10\r\n22\r\n[03]\r\n0\r\n";
    }

    // ---- the probe ----
    bool connectProbe(const std::string& path) {
        const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
        if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(s);
            return false;
        }
        probe_ = s;
        return true;
    }
    std::string ask(const std::string& request) {
        const std::string line = request + "\n";
        if (probe_ < 0 || ::write(probe_, line.data(), line.size()) != ssize_t(line.size()))
            return "";
        std::string answer;
        pollfd p{probe_, POLLIN, 0};
        char c = 0;
        while (::poll(&p, 1, 5000) > 0 && ::read(probe_, &c, 1) == 1 && c != '\n') answer += c;
        return answer;
    }
    static Place placeOf(const std::string& answer) {
        Place p;
        std::istringstream(answer) >> p.x >> p.y >> p.w >> p.h;
        return p;
    }
    Place where(const std::string& name) { return placeOf(ask("where " + name)); }
    Place tab(const std::string& name, int index) {
        return placeOf(ask("tab " + name + " " + std::to_string(index)));
    }
    Place item(const std::string& name, int row, int column = 0) {
        return placeOf(ask("item " + name + " " + std::to_string(row) + " " + std::to_string(column)));
    }
    std::string text(const std::string& name) { return ask("text " + name); }
    std::string text(const std::string& name, int row, int column = 0) {
        return ask("text " + name + " " + std::to_string(row) + " " + std::to_string(column));
    }
    bool shown(const std::string& name) { return where(name).shown(); }
    // Whether an item view's current item is at `row`, `column` (rows as shown).
    bool currentAt(const std::string& name, int row, int column = 0) {
        return ask("current " + name) == std::to_string(row) + " " + std::to_string(column);
    }
    bool enabled(const std::string& name) {
        return ask("state " + name).find(" enabled ") != std::string::npos;
    }
    bool checked(const std::string& name) {
        return ask("state " + name).find(" checked") != std::string::npos;
    }
    // The focus widget's object name ("-" for one without a name).
    std::string focus() {
        const std::string f = ask("focus");
        return f.substr(0, f.find(' '));
    }
    std::string focusClass() {
        const std::string f = ask("focus");
        return f.find(' ') == std::string::npos ? "" : f.substr(f.find(' ') + 1);
    }
    // The active window's object name, or its class for a window without one.
    std::string active() {
        std::istringstream in(ask("active"));
        std::string name, type;
        in >> name >> type;
        return name == "-" ? type : name;
    }
    // A shown top-level window's X id, by object name or class.
    Window windowOf(const std::string& wanted) {
        std::istringstream all(ask("windows"));
        for (std::string entry; std::getline(all, entry, '\t');) {
            std::istringstream in(entry);
            std::string name, type, id;
            in >> name >> type >> id;
            if (name == wanted || type == wanted) return std::stoul(id, nullptr, 16);
        }
        return 0;
    }
    bool windowShown(const std::string& wanted) { return windowOf(wanted) != 0; }

    // ---- waiting ----
    bool waitFocus(const std::string& name) { return waitUntil([&] { return focus() == name; }); }
    bool waitShown(const std::string& name) { return waitUntil([&] { return shown(name); }); }
    bool waitHidden(const std::string& name) { return waitUntil([&] { return !shown(name); }); }
    bool waitText(const std::string& name, const std::string& want) {
        return waitUntil([&] { return text(name) == want; });
    }

    // Makes `name` the active window: a window manager (or Qt, for a modal dialog) does
    // so by itself; without either the test gives it the input focus, as a click on it
    // under a window manager would.
    void activate(const std::string& name) {
        ASSERT_TRUE(waitUntil([&] { return windowShown(name); })) << name << " never showed";
        if (waitUntil([&] { return active() == name; }, 500)) return;
        XSetInputFocus(x_, windowOf(name), RevertToParent, CurrentTime);
        XSync(x_, False);
        ASSERT_TRUE(waitUntil([&] { return active() == name; }))
            << name << " never became active; active: " << active();
    }

    // ---- input ----
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
    // Typed as on a keyboard: digits, lower-case letters and blanks, no Shift needed.
    void type(const std::string& text) {
        for (char c : text) {
            const std::string name = c == ' ' ? "space" : std::string(1, c);
            press(XStringToKeysym(name.c_str()));
        }
    }
    void clickAt(const Place& p, int button = 1, int clicks = 1) {
        ASSERT_TRUE(p.shown()) << "nothing shown to click";
        const int x = p.x + p.w / 2, y = p.y + p.h / 2;
        ASSERT_TRUE(x >= 0 && y >= 0 && x < DisplayWidth(x_, 0) && y < DisplayHeight(x_, 0))
            << "the place " << x << "," << y << " is off the screen";
        XTestFakeMotionEvent(x_, -1, x, y, CurrentTime);
        for (int i = 0; i < clicks; ++i) {
            XTestFakeButtonEvent(x_, static_cast<unsigned>(button), True, CurrentTime);
            XTestFakeButtonEvent(x_, static_cast<unsigned>(button), False, CurrentTime);
        }
        XSync(x_, False);
    }
    // A click on the control once it shows and stays in one place: a window that grows
    // as a panel shows is moved and resized again by a window manager.
    void click(const std::string& name, int button = 1) {
        Place at;
        int same = 0;
        const bool settled = waitUntil([&] {
            const Place now = where(name);
            same = now.shown() && now.x == at.x && now.y == at.y && now.w == at.w && now.h == at.h
                       ? same + 1
                       : 0;
            at = now;
            return same >= 3;
        });
        ASSERT_TRUE(settled) << name << " is not shown, or does not stay in place";
        clickAt(at, button);
    }
    // The title bar's close button, as a window manager passes its click on.
    void closeByTitleBar(const std::string& name) {
        const Window w = windowOf(name);
        ASSERT_NE(w, 0u) << name << " is not shown";
        askToClose(w);
    }
    // A menu entry chosen with the mouse: the menu bar title, then the entry.
    void chooseMenu(const std::string& menu, const std::string& entry) {
        click(menu);
        click(entry);
    }

    // ---- the line ----
    std::vector<std::string> wire() {
        std::vector<std::string> lines;
        std::ifstream in(wire_);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // Whether a frame starting with `head` (without its CRC) went out after the first
    // `after` frames.
    bool sentAfter(size_t after, const std::string& head) {
        const std::vector<std::string> lines = wire();
        for (size_t i = after; i < lines.size(); ++i)
            if (lines[i].rfind(head + " ", 0) == 0) return true;
        return false;
    }
    // Whether every frame starting with `head` that went out has had its answer taken
    // in: the protocol log shows the answer right after each. Once it has, the operation
    // that sent the frame is over (the answer is logged after the wait for it), and a
    // key pressed now cannot land inside that wait.
    bool answered(const std::string& head) {
        size_t frames = 0;
        for (const std::string& line : wire()) frames += line.rfind(head + " ", 0) == 0;
        const std::string log = text("reProt");
        size_t replies = 0, at = 0;
        const std::string sent = "Send>" + head + " ";
        while ((at = log.find(sent, at)) != std::string::npos) {
            at += sent.size();
            const size_t next = log.find("\\n", at);
            if (next != std::string::npos && log.compare(next + 2, 5, "<Res ") == 0) ++replies;
        }
        return frames > 0 && replies >= frames;
    }
    // Waits for a frame starting with `head` to go out after the first `after` frames
    // and for its answer to be taken in.
    bool waitAnswered(size_t after, const std::string& head) {
        if (!waitSent(after, head)) return false;
        if (waitUntil([&] { return answered(head); })) return true;
        ADD_FAILURE() << "no answer taken to " << head;
        return false;
    }
    // Waits for a frame starting with `head` after the first `after` frames; names what
    // did go out when it never came.
    bool waitSent(size_t after, const std::string& head) {
        if (waitUntil([&] { return sentAfter(after, head); })) return true;
        const std::vector<std::string> lines = wire();
        for (size_t i = after; i < lines.size(); ++i) ADD_FAILURE() << "on the line: " << lines[i];
        return false;
    }

    std::string dir_, link_, wire_;
    pid_t sim_ = -1;
    int probe_ = -1;
    StartedProgram program_;

private:
    void startSimulator(const std::string& network) {
        const std::string config = dir_ + "/network";
        if (!network.empty()) std::ofstream(config) << network;
        sim_ = ::fork();
        if (sim_ == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            std::vector<const char*> argv{"velmora-sim", "--link", link_.c_str(), "--log-requests",
                                          wire_.c_str()};
            if (!network.empty()) argv.insert(argv.end(), {"--config", config.c_str()});
            argv.push_back(nullptr);
            ::execv(VELMORA_SIM_PATH, const_cast<char* const*>(argv.data()));
            ::_exit(127);
        }
    }
};

}  // namespace velmora::testing
