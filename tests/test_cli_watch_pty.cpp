// velmora-cli watch over a pseudo-terminal: lines come until the process is told to stop,
// and it then ends with status 0.

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "sim/PtyServer.h"
#include "sim/SimConfig.h"

using namespace velmora;

TEST(CliWatchPty, LinesUntilInterrupted) {
    sim::ModuleNetwork network;
    std::string error;
    ASSERT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
    network.node(1)->subModule(0x10)->ram[0x1A3] = 0x7E;
    sim::PtyServer server(network, sim::PtyOptions{});
    ASSERT_TRUE(server.open(error)) << error;
    server.start();

    QProcess p;
    p.start(VELMORA_CLI_PATH, {"--port", QString::fromStdString(server.devicePath()), "watch", "1",
                               "1A3", "1", "--slave", "10", "--period", "50"});
    QByteArray out;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        p.waitForReadyRead(50);
        out += p.readAllStandardOutput();
        return out.count('\n') >= 3;
    }, 10000));
    p.terminate();  // SIGTERM, as an interrupt would
    EXPECT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    out += p.readAllStandardOutput();
    const QRegularExpression line("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d 7E$");
    const auto lines = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    for (const QString& l : lines) EXPECT_TRUE(line.match(l).hasMatch()) << l.toStdString();
    // REG_PAGE was put back after every pass.
    EXPECT_EQ(network.node(1)->subModule(0x10)->ram[0x51], 0);
    server.stop();
}

TEST(CliWatchPty, BadWordsAreRefusedBeforeThePortOpens) {
    QProcess p;
    p.start(VELMORA_CLI_PATH, {"--port", "/nonexistent/port", "watch", "1", "FFF", "2"});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().contains("past the end of RAM"));
}
