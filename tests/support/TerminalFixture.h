#pragma once
// The main window offscreen on a settings file of the test's own, with the built-in
// network behind a pseudo-terminal so the start-up finds its port open.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/uVelmora.h"
#include "sim/PtyServer.h"
#include "sim/SimConfig.h"

namespace velmora::testing {

class TerminalFixture : public ::testing::Test {
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
        options.portOverride = link::PortChoice{1, dir.path() + "/adapter"};
        options.portCheckMs = 100;
        options.hardwarePollMs = 40;
        options.timer1Ms = 30;
        options.closingGraceMs = 20;
    }
    void TearDown() override {
        window.reset();
        server->stop();
    }

    // Creates and shows the window; returns once its first activation has run.
    app::TFTerminal& start() {
        window = std::make_unique<app::TFTerminal>(options);
        QSignalSpy activated(window.get(), &app::TFTerminal::activated);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return activated.count() > 0; }, 5000));
        return *window;
    }

    // Closes the window, which writes the settings file, and lets it go.
    void closeWindow() {
        window->close();
        window.reset();
    }

    QString inDir(const QString& name) const { return dir.path() + "/" + name; }

    QTemporaryDir dir;
    sim::ModuleNetwork network;
    std::unique_ptr<sim::PtyServer> server;
    app::TerminalOptions options;
    std::unique_ptr<app::TFTerminal> window;
};

}  // namespace velmora::testing
