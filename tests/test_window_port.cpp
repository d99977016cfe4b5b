// The main window offscreen: the port: its dialog, unplugging, device changes and the protocol log.

#include <gtest/gtest.h>
#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include "app/TFAboutBox.h"
#include "app/TFHelp.h"
#include "app/TFselectComm.h"
#include "app/uVelmora.h"
#include "common/Cp1251.h"
#include "link/OperationKind.h"
#include "sim/PtyServer.h"
#include "sim/SimConfig.h"
#include "tests/support/WindowFixture.h"

using namespace velmora;
using namespace velmora::app;
using velmora::testing::MainWindow;
using velmora::testing::whenModal;

TEST_F(MainWindow, CancelInThePortDialogClosesThePort) {
    TFTerminal& w = start();
    QString message;
    whenModal([&](QWidget* dialog) {
        auto* select = qobject_cast<TFselectComm*>(dialog);
        ASSERT_NE(select, nullptr);
        EXPECT_EQ(select->windowTitle(), "Выбор номера Comm порта");
        whenModal([&](QWidget* box) {
            message = static_cast<QMessageBox*>(box)->text();
            static_cast<QMessageBox*>(box)->accept();
        });
        select->Button2->click();
    });
    w.mmNomCommClick();
    EXPECT_EQ(message, "Comm порт не активирован");
    EXPECT_FALSE(w.Comm().isOpen());
    EXPECT_EQ(w.portIcon(), 17);
    // sending on the closed port does nothing; the transaction times out
    EXPECT_EQ(w.engine().transact({1, link::rdRAM, 0, 1, 0, 1}, {}, {}).code, 31);
    EXPECT_EQ(panel(2), "Контроллер не ответил");
}

TEST_F(MainWindow, CloseInThePortDialogOpensTheChosenPort) {
    TFTerminal& w = start();
    w.Comm().close();
    w.linkState().PortLost = true;
    whenModal([&](QWidget* dialog) {
        auto* select = static_cast<TFselectComm*>(dialog);
        select->DB1->setEditText(adapterPath());
        select->Button1->click();
    });
    w.mmNomCommClick();
    EXPECT_TRUE(w.Comm().isOpen());
    EXPECT_FALSE(w.linkState().PortLost);
    EXPECT_EQ(w.portIcon(), 18);
    EXPECT_EQ(w.engine().transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code, 0);
}

TEST_F(MainWindow, StartWithAPortThatFailsShowsTheDialog) {
    options.portOverride = link::PortChoice{1, dir.path() + "/missing"};
    int scans = 0;
    bool dialogSeen = false;
    whenModal([&](QWidget* dialog) {
        dialogSeen = qobject_cast<TFselectComm*>(dialog) != nullptr;
        auto* select = static_cast<TFselectComm*>(dialog);
        select->DB1->setEditText(adapterPath());
        select->Button1->click();
    });
    start([&](TFTerminal&) { seams.onBusScan = [&] { ++scans; }; });
    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(window->Comm().isOpen());
    EXPECT_EQ(scans, 1);  // the dialog opened the port, so the scan runs
}

TEST_F(MainWindow, UnpluggedAndPluggedAgain) {
    TFTerminal& w = start();
    QStringList messages;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QString now = panel(2);
        if (messages.isEmpty() || messages.back() != now) messages << now;
    });
    watch.start(5);
    server->requestUnplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.contains("Comm порт отключен"); }, 5000));
    // A refresh timer's read meanwhile fails at once and leaves the reason standing.
    EXPECT_EQ(w.engine().transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code, 254);
    EXPECT_EQ(panel(2), "Comm порт отключен");
    EXPECT_FALSE(w.Comm().isOpen());
    EXPECT_EQ(w.portIcon(), 17);
    EXPECT_TRUE(w.scanCommTimer().isActive());
    server->requestPlug();
    // Plugging in is a device change as well: the port may be closed once more and
    // reopened by the next check. Wait until that has settled.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return messages.lastIndexOf("В системе смена оборудования") >
                       messages.lastIndexOf("Comm порт отключен") &&
                   !w.scanCommTimer().isActive() && w.Comm().isOpen() && panel(2).isEmpty();
        },
        5000));
    watch.stop();
    EXPECT_TRUE(w.Comm().isOpen());
    EXPECT_EQ(w.portIcon(), 18);
    EXPECT_EQ(panel(2), "");
    int changed = static_cast<int>(messages.indexOf("В системе смена оборудования"));
    int lost = static_cast<int>(messages.indexOf("Comm порт отключен"));
    ASSERT_GE(changed, 0);
    EXPECT_LT(changed, lost);
    EXPECT_EQ(w.engine().transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code, 0);
}

TEST_F(MainWindow, DeviceChangeDuringATransactionEndsItWithNoReply) {
    // The reply comes at 400 ms; the port is closed at 50 ms and reopened by the check
    // a second later, long after the 620 ms limit at 9600 bit/s.
    options.portCheckMs = 1000;
    TFTerminal& w = start();
    w.Comm().setBaud(9600);  // a long limit
    {
        auto lock = server->lockNetwork();
        sim::FaultPlan late;
        late.lateMs = 400;
        network.setFaults(late);
    }
    QTimer::singleShot(50, &w, [&w] { w.postWindowMessage(kMsgDeviceChange); });
    EXPECT_EQ(w.engine().transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code, 31);
    EXPECT_FALSE(w.Comm().isOpen());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.Comm().isOpen(); }, 3000));
    EXPECT_EQ(w.portIcon(), 18);
}

TEST_F(MainWindow, ExchangesAreLoggedWhileProtocolIsChecked) {
    TFTerminal& w = start();
    EXPECT_EQ(w.engine().transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code, 0);
    EXPECT_EQ(w.pages().reProt->lineCount(), 0);
    action("mmProt")->trigger();
    EXPECT_EQ(w.engine().transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code, 0);
    ASSERT_EQ(w.pages().reProt->lineCount(), 2);
    EXPECT_EQ(w.pages().reProt->lineText(0), "Send>01 70 00 50 04 3E C3 ");
    EXPECT_EQ(w.pages().reProt->lineText(1), "<Res 01 70 00 50 04 00 00 00 01 3C 14 ");
    action("mmClear")->trigger();
    EXPECT_EQ(w.pages().reProt->lineCount(), 0);
}

TEST_F(MainWindow, PortDialogWaitsForTheReplyInFlight) {
    TFTerminal& w = start();
    w.Comm().setBaud(9600);  // 600 ms limit
    {
        auto lock = server->lockNetwork();
        sim::FaultPlan late;
        late.lateMs = 150;
        network.setFaults(late);
    }
    bool dialogDuringWait = false;
    bool waiting = true;
    bool answered = false;
    whenModal([&](QWidget* dialog) {
        dialogDuringWait = waiting;
        answered = true;
        auto* select = static_cast<TFselectComm*>(dialog);
        select->Button1->click();
    });
    QTimer::singleShot(20, &w, [&w] { w.menus().mmNomComm->trigger(); });
    EXPECT_EQ(w.engine().transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code, 0);
    waiting = false;
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, 3000));
    EXPECT_FALSE(dialogDuringWait);
    EXPECT_TRUE(w.Comm().isOpen());
}
