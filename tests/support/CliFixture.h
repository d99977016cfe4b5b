#pragma once
// velmora-cli run as a process against the built-in simulated network on a
// pseudo-terminal: what a script sees (exit status, standard output and error).

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "sim/PtyServer.h"
#include "sim/SimConfig.h"

namespace velmora::test {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class CliFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
        if (prepareNetwork) prepareNetwork(network);
        server = std::make_unique<sim::PtyServer>(network, sim::PtyOptions{});
        ASSERT_TRUE(server->open(error)) << error;
        server->start();
    }
    void TearDown() override { server->stop(); }

    // Runs velmora-cli with `args`, by default on the simulator's port, in
    // `workingDirectory` when one is set.
    CliRun cli(QStringList args, bool withPort = true) {
        if (withPort)
            args = QStringList{"--port", QString::fromStdString(server->devicePath())} + args;
        QProcess p;
        if (!workingDirectory.isEmpty()) p.setWorkingDirectory(workingDirectory);
        p.start(VELMORA_CLI_PATH, args);
        p.waitForFinished(60000);
        return {p.exitCode(), p.readAllStandardOutput().toStdString(),
                p.readAllStandardError().toStdString()};
    }

    // Set in a derived constructor: changes the network before it is served.
    std::function<void(sim::ModuleNetwork&)> prepareNetwork;
    QString workingDirectory;
    sim::ModuleNetwork network;
    std::unique_ptr<sim::PtyServer> server;
};

}  // namespace velmora::test
