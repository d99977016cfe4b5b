#pragma once
// The main window offscreen, with the built-in network on a pseudo-terminal behind it,
// a settings file of the test's own, and recording stand-ins for the seams the
// subsystems plug into.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include "app/uVelmora.h"
#include "sim/PtyServer.h"
#include "sim/SimConfig.h"

namespace velmora::testing {

using namespace velmora::app;


// The System page's and the tool windows' seams, recording what the frame asks.
struct RecordingSeams : SystemPageActions, ToolWindowActions {
    std::function<void()> onBusScan, onLoadConfiguration, onStopScan, onBrowserClosed,
        onTesterClosed;
    static void call(const std::function<void()>& f) {
        if (f) f();
    }
    void busScan() override { call(onBusScan); }
    void loadConfiguration() override { call(onLoadConfiguration); }
    void stopScan() override { call(onStopScan); }
    void browserClosed() override { call(onBrowserClosed); }
    void testerClosed() override { call(onTesterClosed); }
};

// A Module tab that records what the frame asks of it.
struct RecordingTab : ModuleTab {
    std::function<void()> onRead, onRefresh;
    std::function<bool(QKeyEvent*)> onKey;
    QWidget* focus = nullptr;
    void read() override {
        if (onRead) onRead();
    }
    void refreshTick() override {
        if (onRefresh) onRefresh();
    }
    bool key(QKeyEvent* e) override { return onKey && onKey(e); }
    QWidget* focusTarget() override { return focus; }
};

// Answers the next modal dialog with `act`, and fails the test (closing the dialog)
// instead of hanging when none comes.
inline void whenModal(std::function<void(QWidget*)> act) {
    auto* tries = new int(0);
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            delete tries;
            act(modal);
        } else if (++*tries > 2000) {
            poll->stop();
            poll->deleteLater();
            delete tries;
            ADD_FAILURE() << "no modal dialog appeared within 20 s";
            // A dialog that shows up after all must not hold the test for ever.
            auto* sweeper = new QTimer;
            sweeper->setInterval(50);
            QObject::connect(sweeper, &QTimer::timeout, [] {
                if (QWidget* late = QApplication::activeModalWidget()) late->close();
            });
            sweeper->start();
        }
    });
    poll->start();
}

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
        sim::PtyOptions o;
        o.linkPath = (dir.path() + "/adapter").toStdString();
        server = std::make_unique<sim::PtyServer>(network, o);
        ASSERT_TRUE(server->open(error)) << error;
        server->start();
        options.settingsPath = dir.path() + "/velmora.ini";
        options.portOverride = link::PortChoice{1, adapterPath()};
        options.portCheckMs = 100;
        options.hardwarePollMs = 40;
        options.timer1Ms = 30;
        options.closingGraceMs = 20;
        options.helpFile = dir.path() + "/Velmora.hlp";
    }
    void TearDown() override {
        window.reset();
        server->stop();
    }

    QString adapterPath() const { return dir.path() + "/adapter"; }
    QString inDir(const QString& name) const { return dir.path() + "/" + name; }

    // Closes the window, which writes the settings file, and lets it go.
    void closeWindow() {
        window->close();
        window.reset();
    }

    void writeSettings(const QByteArray& text) {
        QFile f(options.settingsPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    // Creates, shows and activates the window; returns once the first activation ran.
    // `prepare` runs before the window shows (to plug in hooks).
    TFTerminal& start(const std::function<void(TFTerminal&)>& prepare = {}) {
        window = std::make_unique<TFTerminal>(options);
        window->setSystemActions(&seams);
        window->setToolActions(&seams);
        // The recording tabs take the focus where the frame's own would; asking for the
        // frame's builds the Module page before the window shows.
        for (int i = 0; i < kModuleTabCount && !asTheProgramStarts; ++i) {
            auto& tab = tabs[static_cast<size_t>(i)];
            tab.focus = window->moduleTab(i).focusTarget();
            window->setModuleTab(i, &tab);
        }
        if (prepare) prepare(*window);
        QSignalSpy activated(window.get(), &TFTerminal::activated);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return activated.count() > 0; }, 5000));
        return *window;
    }

    template <typename T>
    T* child(const char* name) {
        return window->findChild<T*>(name);
    }
    QAction* action(const char* name) { return child<QAction>(name); }

    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QTest::keyClick(target, static_cast<Qt::Key>(k), mods);
    }
    // Never builds the Module page: a test of the page built late must not build it here.
    int mainPage() { return window->pageControl()->currentIndex(); }
    int moduleTab() { return window->pages().pcMon->currentIndex(); }
    QString panel(int n) { return window->statusPanels().panelText(n); }

    QTemporaryDir dir;
    sim::ModuleNetwork network;
    std::unique_ptr<sim::PtyServer> server;
    TerminalOptions options;
    RecordingSeams seams;
    std::array<RecordingTab, kModuleTabCount> tabs;
    std::unique_ptr<TFTerminal> window;
    // Set: start() leaves the frame's own tabs in place and the Module page unbuilt, as
    // the program starts.
    bool asTheProgramStarts = false;
};

using MainWindow = WindowFixture;
using TerminalFixture = WindowFixture;

}  // namespace velmora::testing
