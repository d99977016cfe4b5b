// Port numbers, device paths and the simulator program.

#include <gtest/gtest.h>
#include <signal.h>

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "app/TFselectComm.h"
#include "link/qt/PortChoice.h"

using namespace velmora;
using namespace velmora::link;

TEST(PortChoice, NumbersAreTheBuiltInPorts) {
    EXPECT_EQ(devicePath(PortChoice{1, {}}), "/dev/ttyS0");
    EXPECT_EQ(devicePath(PortChoice{2, {}}), "/dev/ttyS1");
    EXPECT_EQ(devicePath(PortChoice{2, "/dev/ttyUSB0"}), "/dev/ttyUSB0");
    EXPECT_EQ(portDisplayName("/dev/ttyS0"), "COM1");
    EXPECT_EQ(portDisplayName("/dev/ttyS12"), "COM13");
    EXPECT_EQ(portDisplayName("/dev/ttyACM0"), "/dev/ttyACM0");
}

TEST(PortChoice, PickedFromTheList) {
    EXPECT_EQ(choiceForDevice("/dev/ttyS2", 0).number, 3);
    EXPECT_TRUE(choiceForDevice("/dev/ttyS2", 0).path.isEmpty());
    EXPECT_EQ(choiceForDevice("/dev/ttyUSB0", 4).number, 5);
    EXPECT_EQ(choiceForDevice("/dev/ttyUSB0", 4).path, "/dev/ttyUSB0");
}

TEST(PortChoice, TypedPortNames) {
    EXPECT_EQ(parsePortArgument("3").number, 3);
    EXPECT_TRUE(parsePortArgument("3").path.isEmpty());
    EXPECT_EQ(parsePortArgument("/dev/serial/by-id/usb-FTDI").path, "/dev/serial/by-id/usb-FTDI");
    EXPECT_EQ(app::portChoiceFromText("COM4")->number, 4);
    EXPECT_TRUE(app::portChoiceFromText("com4")->path.isEmpty());
    EXPECT_EQ(app::portChoiceFromText(" /dev/pts/7 ")->path, "/dev/pts/7");
    EXPECT_FALSE(app::portChoiceFromText("  ").has_value());
    EXPECT_EQ(app::portChoiceFromText("COMX")->path, "COMX");
}

TEST(SimulatorProgram, ServesPrintsItsPathsAndCleansUp) {
    QTemporaryDir dir;
    QString link = dir.path() + "/adapter";
    QProcess sim;
    sim.start(VELMORA_SIM_PATH, {"--link", link});
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    while (sim.canReadLine() == false && sim.waitForReadyRead(1000)) {
    }
    QString pty = QString::fromUtf8(sim.readLine()).trimmed();
    EXPECT_TRUE(pty.startsWith("/dev/pts/"));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), pty);

    QProcess cli;
    cli.start(VELMORA_CLI_PATH, {"--port", link, "trans", "3", "rdEE", "FF", "1"});
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 0);
    EXPECT_EQ(cli.readAllStandardOutput(), "03\n");

    ::kill(static_cast<pid_t>(sim.processId()), SIGTERM);
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(link));
}

TEST(SimulatorProgram, BadConfigurationIsRefusedWithItsLine) {
    QTemporaryDir dir;
    QFile config(dir.path() + "/net.txt");
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("node 01\nram 10 zz\n");
    config.close();
    QProcess sim;
    sim.start(VELMORA_SIM_PATH, {"--config", config.fileName()});
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 2);
    EXPECT_EQ(sim.readAllStandardError(),
              "velmora-sim: config line 2: expected an address and hexadecimal bytes\n");
}

TEST(SimulatorProgram, PrintsTheBuiltInNetworkItReads) {
    QProcess sim;
    sim.start(VELMORA_SIM_PATH, {"--print-config"});
    ASSERT_TRUE(sim.waitForFinished(5000));
    QByteArray text = sim.readAllStandardOutput();
    EXPECT_TRUE(text.contains("node 01"));
    EXPECT_TRUE(text.contains("i2c 10"));
}
