// The main window offscreen: start-up, the settings file and closing.

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

TEST_F(MainWindow, EmptySettingsFileGivesTheDefaults) {
    writeSettings("");
    TFTerminal& w = start();
    EXPECT_EQ(w.size(), QSize(500, 570));
    EXPECT_EQ(w.pos(), QPoint(100, 100));
    EXPECT_TRUE(action("mmAutoskan")->isChecked());
    EXPECT_FALSE(action("mmProt")->isChecked());
    EXPECT_TRUE(action("mmSpeed115200")->isChecked());
    EXPECT_EQ(w.systemSpeed(), 115200u);
    EXPECT_EQ(w.windowTitle(), "Velmora  v2.03");
    EXPECT_EQ(panel(0), "Адр Modbus: 00");
    EXPECT_TRUE(w.Comm().isOpen());
    EXPECT_EQ(w.portIcon(), 18);
    EXPECT_EQ(mainPage(), kSystemPage);
    EXPECT_EQ(moduleTab(), kIdentTab);
}

TEST_F(MainWindow, PortNumberTwoWithoutSettings) {
    options.portOverride.reset();
    writeSettings("[Comm]\nPath=" + adapterPath().toUtf8() + "\n");
    TFTerminal& w = start();
    EXPECT_EQ(w.Comm().choice().number, 2);
    EXPECT_TRUE(w.Comm().isOpen());
}

TEST_F(MainWindow, StartAdrFlashSelectsTheBottomAddressBox) {
    writeSettings("[System]\nstartAdrFlash=16384\n");
    TFTerminal& w = start();
    EXPECT_EQ(w.pages().cbBottomAdrFL->currentIndex(), 1);
    EXPECT_EQ(w.addresses().FlashBottom, 0x4000);
    EXPECT_EQ(w.pages().edAdrFL->text(), "4000");
    EXPECT_EQ(w.pages().sgFL->cellText(2, 0), "4010");
    window.reset();

    writeSettings("[System]\nstartAdrFlash=4096\n");
    TFTerminal& w2 = start();
    EXPECT_EQ(w2.pages().cbBottomAdrFL->currentIndex(), 0);  // as it was
    EXPECT_EQ(w2.addresses().FlashBottom, 0x1000);             // the value is used all the same
    EXPECT_EQ(w2.pages().edAdrFL->text(), "1000");
    EXPECT_EQ(w2.pages().sgFL->cellText(16, 0), "10F0");
}

TEST_F(MainWindow, GridsHaveTheirFixedCells) {
    TFTerminal& w = start();
    for (views::MemoryGrid* g : {w.pages().sgFL, w.pages().sgRAM, w.pages().sgEE}) {
        EXPECT_EQ(g->cellText(0, 0), "Адрес");
        EXPECT_EQ(g->cellText(0, 1), "00");
        EXPECT_EQ(g->cellText(0, 16), "0F");
        EXPECT_EQ(g->columnWidth(0), 64);
    }
    EXPECT_EQ(w.pages().sgRAM->cellText(1, 0), "000");
    EXPECT_EQ(w.pages().sgRAM->cellText(16, 0), "0F0");
    EXPECT_EQ(w.pages().sgFL->cellText(1, 0), "2000");
}

TEST_F(MainWindow, SettingsRoundTrip) {
    writeSettings(
        "[System]\nAutoSkan=0\nProt=1\nstartAdrFlash=16384\nsysSpeedModbus=19200\n"
        "HexDir=/srv/hex\n[Form]\nWidth=640\nHeight=480\nLeft=30\nTop=40\n");
    TFTerminal& w = start();
    EXPECT_FALSE(action("mmAutoskan")->isChecked());
    EXPECT_TRUE(action("mmProt")->isChecked());
    EXPECT_TRUE(action("mmSpeed19200")->isChecked());
    EXPECT_EQ(w.Comm().baud(), 19200u);
    EXPECT_EQ(w.size(), QSize(640, 480));
    EXPECT_EQ(w.hexDir(), "/srv/hex");
    action("mmSpeed57600")->trigger();
    action("mmAutoskan")->trigger();
    w.resize(700, 520);
    w.close();
    window.reset();

    TFTerminal& again = start();
    EXPECT_TRUE(action("mmAutoskan")->isChecked());
    EXPECT_TRUE(action("mmProt")->isChecked());
    EXPECT_TRUE(action("mmSpeed57600")->isChecked());
    EXPECT_EQ(again.systemSpeed(), 57600u);
    EXPECT_EQ(again.size(), QSize(700, 520));
    EXPECT_EQ(again.addresses().FlashBottom, 0x4000);
    EXPECT_EQ(again.hexDir(), "/srv/hex");
}

TEST_F(MainWindow, ClosingWritesTheSettingsAndKeepsTheSavedPort) {
    writeSettings("[Comm]\nNom=4\n; a comment of the user's\n");
    TFTerminal& w = start();
    EXPECT_EQ(w.Comm().devicePath(), adapterPath());  // --port for this run only
    w.close();
    QFile f(options.settingsPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.startsWith("[Comm]\r\nNom=4\r\n; a comment of the user's\r\nPath=\r\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("sysSpeedModbus=115200"));
    EXPECT_TRUE(text.contains("startAdrFlash=8192"));
    EXPECT_FALSE(QFile::exists(options.settingsPath + ".tmp"));
}

TEST_F(MainWindow, CloseDuringAScanIsDeferred) {
    TFTerminal& w = start();
    w.scan().SystemIdle = false;
    w.scan().ScanRunning = true;
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.scan().CloseRequested);
    EXPECT_FALSE(w.scan().ScanRunning);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.Comm().isOpen());
}

TEST_F(MainWindow, NoScanWhenTheDialogLeavesThePortClosed) {
    options.portOverride = link::PortChoice{1, dir.path() + "/missing"};
    int scans = 0, loads = 0;
    whenModal([&](QWidget* dialog) {
        whenModal([](QWidget* box) { static_cast<QMessageBox*>(box)->accept(); });
        static_cast<TFselectComm*>(dialog)->Button2->click();
    });
    start([&](TFTerminal&) {
        seams.onBusScan = [&] { ++scans; };
        seams.onLoadConfiguration = [&] { ++loads; };
    });
    EXPECT_FALSE(window->Comm().isOpen());
    EXPECT_EQ(window->portIcon(), 17);
    EXPECT_EQ(scans + loads, 0);
}

TEST_F(MainWindow, WithoutAutoScanTheConfigurationIsLoaded) {
    writeSettings("[System]\nAutoSkan=0\n");
    int scans = 0, loads = 0;
    start([&](TFTerminal&) {
        seams.onBusScan = [&] { ++scans; };
        seams.onLoadConfiguration = [&] { ++loads; };
    });
    EXPECT_EQ(scans, 0);
    EXPECT_EQ(loads, 1);
}

TEST_F(MainWindow, ClosingStopsTheAutomaticRefreshFirst) {
    TFTerminal& w = start();
    int refreshes = 0;
    tabs[kRamTab].onRefresh = [&] { ++refreshes; };
    w.module().SelectionLevel = 1;
    w.pages().pcChan->setCurrentIndex(kModulePage);
    w.pages().pcMon->setCurrentIndex(kRamTab);
    w.pages().cbAutoApDateRAM->setChecked(true);
    w.tmUpDate().start(20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return refreshes > 0; }, 2000));
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.tmUpDate().isActive());
    EXPECT_FALSE(w.pages().cbAutoApDateRAM->isChecked());
    EXPECT_TRUE(QFile::exists(options.settingsPath));
}

TEST_F(MainWindow, ClosedBeforeStartingLeavesTheSettingsAlone) {
    writeSettings("[Form]\nWidth=900\n");
    window = std::make_unique<TFTerminal>(options);
    window->close();
    QFile f(options.settingsPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[Form]\nWidth=900\n"));
}
