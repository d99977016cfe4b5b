// The port layer over real pseudo-terminals with the simulator at the far end.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include "link/OperationKind.h"
#include "link/ReplyCodes.h"
#include "link/TransactionEngine.h"
#include "link/qt/HardwareWatch.h"
#include "link/qt/LinkSession.h"
#include "link/qt/QtEventPump.h"
#include "link/qt/TnrComm.h"
#include "sim/PtyServer.h"
#include "sim/SimConfig.h"
#include "tests/support/FakeSerialDriver.h"

using namespace velmora;
using namespace velmora::link;

namespace {

// Runs the event loop until `done` or the guard time passes; the guard only stops a
// broken test from hanging, it is never what a test waits for.
template <typename F>
bool spinUntil(F done, int guardMs = 5000) {
    QElapsedTimer t;
    t.start();
    // processEvents with a time limit would spin; a ticking timer wakes a sleeping wait.
    QTimer tick;
    tick.start(10);
    while (!done()) {
        if (t.elapsed() > guardMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

class PtyLink : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
        options.linkPath = (dir.path() + "/adapter").toStdString();
        server = std::make_unique<sim::PtyServer>(network, options);
        ASSERT_TRUE(server->open(error)) << error;
        server->start();
        session.setChoice(PortChoice{1, QString::fromStdString(options.linkPath)});
        comm.setBaud(115200);
    }
    void TearDown() override { server->stop(); }

    QTemporaryDir dir;
    sim::ModuleNetwork network;
    sim::PtyOptions options;
    std::unique_ptr<sim::PtyServer> server;
    LinkSession session;
    TnrComm& comm = session.comm();
    LinkState& state = session.state();
    TransactionEngine& engine = session.engine();
    std::array<uint8_t, 256> write{};
    std::array<uint8_t, 256> reply{};
};

}  // namespace

TEST_F(PtyLink, OpensByPathAndRunsEveryKind) {
    ASSERT_TRUE(comm.open());
    EXPECT_TRUE(comm.isOpen());
    EXPECT_TRUE(comm.open());  // opening an open port does nothing
    EXPECT_EQ(engine.transact({1, rdID, 0, 0, 0, 3}, write, reply).code, 0);
    EXPECT_EQ(reply[0], 0xCF);
    write[0] = 0x12;
    EXPECT_EQ(engine.transact({1, wrRAM, 0x200, 1, 0, 3}, write, reply).code, 0);
    EXPECT_EQ(engine.transact({1, rdRAM, 0x200, 1, 0, 3}, write, reply).code, 0);
    EXPECT_EQ(reply[0], 0x12);
    write[0] = 0x34;
    EXPECT_EQ(engine.transact({1, wrSFR, 0xF81, 1, 0, 3}, write, reply).code, 0);
    EXPECT_EQ(engine.transact({1, rdSFR, 0x001, 1, 0, 3}, write, reply).code, 0);
    EXPECT_EQ(reply[0], 0x34);
    write[0] = 0x56;
    EXPECT_EQ(engine.transact({1, wrEE, 0x010, 1, 0, 3}, write, reply).code, 0);
    EXPECT_EQ(engine.transact({1, rdEE, 0x010, 1, 0, 3}, write, reply).code, 0);
    EXPECT_EQ(reply[0], 0x56);
    for (int i = 0; i < 64; ++i) write[i] = static_cast<uint8_t>(0xC0 + i);
    EXPECT_EQ(engine.transact({1, wrFlash, 0x2400, 64, 0, 3}, write, reply).code, 0);
    EXPECT_EQ(engine.transact({1, rdFlash, 0x2400, 249, 0, 3}, write, reply).code, 0);
    EXPECT_EQ(reply[63], 0xFF);
    EXPECT_EQ(reply[64], 0xFF);
    EXPECT_EQ(reply[62], 0xFE);
    write[0] = 0x09;
    EXPECT_EQ(engine.transact({1, wrI2C, 0x51, 1, 0x22, 3}, write, reply).code, 0);
    EXPECT_EQ(engine.transact({1, rdI2C, 0x80, 128, 0x22, 3}, write, reply).code, 0);
    EXPECT_EQ(engine.transact({1, initMod, 0, 0, 0, 1}, write, reply).code, 0);
    EXPECT_EQ(engine.transact({1, rdI2C, 0x80, 1, 0x30, 1}, write, reply).code, 0x8F);
    auto lock = server->lockNetwork();
    EXPECT_EQ(network.node(1)->module().initCount, 1);
}

TEST_F(PtyLink, APtyHasNoLowLatencyModeAndWorksWithout) {
    ASSERT_TRUE(comm.open());
    EXPECT_FALSE(comm.lowLatency());
    EXPECT_EQ(engine.transact({1, rdRAM, 0x50, 4, 0, 3}, write, reply).code, 0);
}

TEST_F(PtyLink, LowLatencyIsAskedAtEachOpenAndPutBackAtTheClose) {
    velmora::testing::FakeSerialDriver driver;
    comm.setSerialSettingsIo(&driver);
    constexpr int kLowLatency = 1 << 13;  // ASYNC_LOW_LATENCY
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(comm.open());
        EXPECT_TRUE(comm.lowLatency());
        EXPECT_EQ(driver.flags, kLowLatency);
        comm.close();
        EXPECT_FALSE(comm.lowLatency());
        EXPECT_EQ(driver.flags, 0);
    }
    EXPECT_EQ(driver.written, (std::vector<int>{kLowLatency, 0, kLowLatency, 0}));
    comm.setSerialSettingsIo(nullptr);
}

TEST_F(PtyLink, StaleInputIsDiscardedOnOpen) {
    ASSERT_TRUE(comm.open());
    comm.close();
    comm.close();  // closing a closed port does nothing
    // Bytes that arrive while the port is closed wait in the line's input queue; read
    // during the next wait they would spoil its reply.
    server->sendUnsolicited({0x01, 0x70, 0x00});
    QElapsedTimer t;
    t.start();
    spinUntil([&] { return t.elapsed() >= 50; });
    ASSERT_TRUE(comm.open());
    EXPECT_EQ(engine.transact({1, rdRAM, 0x50, 4, 0, 1}, write, reply).code, 0);
    EXPECT_EQ(reply[3], 0x01);
}

class RecordingTerminal : public TerminalSink {
public:
    void terminalReceived(const QByteArray& bytes) override { shown += bytes; }
    QByteArray shown;
};

TEST_F(PtyLink, AttachedTerminalSeesTrafficAndSendsKeys) {
    ASSERT_TRUE(comm.open());
    RecordingTerminal terminal;
    comm.attachTerminal(&terminal, false);
    server->sendUnsolicited({'o', 'k', '\r'});
    ASSERT_TRUE(spinUntil([&] { return terminal.shown.size() == 3; }));
    EXPECT_EQ(terminal.shown, QByteArray("ok\r"));
    comm.typed("x");  // echo off: nothing drawn locally
    EXPECT_EQ(terminal.shown.size(), 3);
    comm.attachTerminal(&terminal, true);
    comm.typed("y");
    EXPECT_EQ(terminal.shown, QByteArray("ok\ry"));
    comm.detachTerminal();
    server->sendUnsolicited({'z'});
    QElapsedTimer t;
    t.start();
    // The typed bytes are noise to the modules; a quiet line ends the partial frame
    // they started, as on a real Modbus line.
    spinUntil([&] { return t.elapsed() >= 150; });
    EXPECT_EQ(terminal.shown, QByteArray("ok\ry"));
    // the transaction engine still has the line
    EXPECT_EQ(engine.transact({1, rdRAM, 0x50, 4, 0, 1}, write, reply).code, 0);
}

TEST_F(PtyLink, OpenFailureRaisesFatalErrorWithoutThrowing) {
    comm.setChoice(PortChoice{1, dir.path() + "/no-such-device"});
    QSignalSpy fatal(&comm, &TnrComm::fatalError);
    EXPECT_FALSE(comm.open());
    EXPECT_EQ(fatal.count(), 1);
    EXPECT_FALSE(comm.isOpen());
    // The failed open marks the link lost: transactions fail at once, sending nothing.
    EXPECT_TRUE(state.PortLost);
    EXPECT_EQ(engine.transact({1, rdRAM, 0, 1, 0, 1}, write, reply).code, kResultPortLost);
}

TEST_F(PtyLink, ClosedPortWithoutALossTimesOut) {
    ASSERT_TRUE(comm.open());
    comm.close();
    // sending on a closed port does nothing; the transaction times out
    EXPECT_EQ(engine.transact({1, rdRAM, 0, 1, 0, 1}, write, reply).code, kResultNoReply);
}

TEST_F(PtyLink, HangUpIsOneLossThenIdle) {
    ASSERT_TRUE(comm.open());
    QSignalSpy lost(&comm, &TnrComm::deviceLost);
    server->requestUnplug();
    ASSERT_TRUE(spinUntil([&] { return lost.count() > 0; }));
    EXPECT_FALSE(comm.isOpen());
    double before = cpuSeconds();
    QElapsedTimer t;
    t.start();
    spinUntil([&] { return t.elapsed() >= 300; });
    double used = cpuSeconds() - before;
    EXPECT_EQ(lost.count(), 1);
    // A flood of port errors would burn the whole 300 ms.
    EXPECT_LT(used, 0.1);
    // The session marks the link lost and looks for the device again.
    EXPECT_EQ(engine.transact({1, rdRAM, 0, 1, 0, 1}, write, reply).code, kResultPortLost);
    EXPECT_TRUE(session.portCheckTimer().isActive());
}

TEST_F(PtyLink, PortCheckReopensTheDeviceWhenItComesBack) {
    session.setPortCheckInterval(50);
    ASSERT_TRUE(session.openPort());
    QSignalSpy failed(&session, &LinkSession::portCheckFailed);
    QSignalSpy reopened(&session, &LinkSession::portReopened);
    server->requestUnplug();
    ASSERT_TRUE(spinUntil([&] { return failed.count() >= 1; }));
    EXPECT_EQ(reopened.count(), 0);
    server->requestPlug();
    ASSERT_TRUE(spinUntil([&] { return reopened.count() == 1; }));
    EXPECT_FALSE(session.portCheckTimer().isActive());
    EXPECT_FALSE(state.PortLost);
    EXPECT_EQ(engine.transact({1, rdRAM, 0x50, 4, 0, 1}, write, reply).code, 0);
}

TEST_F(PtyLink, WhenFreeRunsOnceTheLinkIsFreeNeverInsideAWait) {
    ASSERT_TRUE(session.openPort());
    std::vector<std::string> order;
    // Asked for from inside a transaction's wait (as a click would be).
    QTimer::singleShot(0, [&] {
        session.whenFree([&] {
            order.push_back(engine.isIdle() ? "action, idle" : "action, inside a wait");
        });
    });
    comm.setBaud(9600);
    EXPECT_EQ(engine.transact({9, rdRAM, 0, 1, 0, 1}, write, reply).code,
              kResultNoReply);  // 600 ms wait
    order.push_back("transaction over");
    spinUntil([&] { return order.size() == 2; });
    EXPECT_EQ(order, (std::vector<std::string>{"transaction over", "action, idle"}));
    // Free now: it runs at once.
    session.whenFree([&] { order.push_back("at once"); });
    EXPECT_EQ(order.back(), "at once");
}

TEST_F(PtyLink, HardwareWatchSeesUnplugAndReplug) {
    ASSERT_TRUE(comm.open());
    HardwareWatch watch;
    watch.setWatchedPath(QString::fromStdString(options.linkPath));
    watch.start(50);
    QSignalSpy changed(&watch, &HardwareWatch::changed);
    server->requestUnplug();
    ASSERT_TRUE(spinUntil([&] { return changed.count() >= 1; }));
    comm.close();
    EXPECT_FALSE(comm.open());
    server->requestPlug();
    ASSERT_TRUE(spinUntil([&] { return changed.count() >= 2; }));
    ASSERT_TRUE(comm.open());
    EXPECT_EQ(engine.transact({1, rdRAM, 0x50, 4, 0, 1}, write, reply).code, 0);
}

TEST_F(PtyLink, PortListHoldsThePathInUse) {
    QStringList list = comm.portList();
    EXPECT_TRUE(list.contains(QString::fromStdString(options.linkPath)));
    EXPECT_EQ(list.count(QString::fromStdString(options.linkPath)), 1);
}

TEST_F(PtyLink, SwitchingAnOpenPortReopensTheNewOne) {
    ASSERT_TRUE(comm.open());
    sim::ModuleNetwork other;
    std::string error;
    ASSERT_TRUE(sim::loadConfig("node 7\nram 10 AB", other, error));
    sim::PtyServer second(other, {});
    ASSERT_TRUE(second.open(error));
    second.start();
    comm.setChoice(PortChoice{1, QString::fromStdString(second.devicePath())});
    EXPECT_TRUE(comm.isOpen());
    EXPECT_EQ(engine.transact({7, rdRAM, 0x10, 1, 0, 1}, write, reply).code, 0);
    EXPECT_EQ(reply[0], 0xAB);
    second.stop();
}

TEST_F(PtyLink, PacedRepliesInPiecesAtNineThousandSixHundred) {
    server->stop();
    options.paceBaud = 9600;
    options.linkPath.clear();
    sim::PtyServer paced(network, options);
    std::string error;
    ASSERT_TRUE(paced.open(error));
    paced.start();
    comm.setChoice(PortChoice{1, QString::fromStdString(paced.devicePath())});
    comm.setBaud(9600);
    ASSERT_TRUE(comm.open());
    EXPECT_EQ(engine.transact({1, rdFlash, 0x2000, 128, 0, 1}, write, reply).code, 0);
    EXPECT_EQ(reply[0], 0xEF);
    paced.stop();
    server->start();
}

TEST_F(PtyLink, WaitDoesNotSpin) {
    ASSERT_TRUE(comm.open());
    double before = cpuSeconds();
    // node 9 does not exist: a full 600 ms limit at 9600 baud
    comm.setBaud(9600);
    EXPECT_EQ(engine.transact({9, rdRAM, 0, 1, 0, 1}, write, reply).code, kResultNoReply);
    EXPECT_LT(cpuSeconds() - before, 0.1);
}

TEST_F(PtyLink, OutputHeldBackPastTheWriteTimeOutIsDropped) {
    ASSERT_TRUE(comm.open());
    // Nobody reads the far end: the line takes a few kilobytes, the rest waits.
    server->stop();
    std::vector<uint8_t> block(64 * 1024, 0xEE);
    comm.send(block.data(), block.size());
    ASSERT_TRUE(spinUntil([&] { return comm.pendingOutput() > 0; }, 1000));
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(spinUntil([&] { return comm.pendingOutput() == 0; }, 2000));
    EXPECT_GE(t.elapsed(), TnrComm::kWriteTimeoutMs / 2);
    EXPECT_TRUE(comm.isOpen());
}

TEST_F(PtyLink, SpeedTakesEffectOnTheOpenPort) {
    comm.setBaud(2400);
    ASSERT_TRUE(comm.open());
    EXPECT_EQ(server->lineSpeed(), 2400u);
    EXPECT_EQ(server->lineFraming(), "8N1 rtscts");
    for (uint32_t bps : {1200u, 9600u, 19200u, 57600u, 115200u}) {
        comm.setBaud(bps);
        EXPECT_EQ(server->lineSpeed(), bps);
    }
}
