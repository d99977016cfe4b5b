// The main window offscreen: page changes, the keyboard and Timer1.

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
#include <QTabBar>

#include "tests/support/WindowFixture.h"

using namespace velmora;
using namespace velmora::app;
using velmora::testing::MainWindow;
using velmora::testing::whenModal;

TEST_F(MainWindow, ModulePageWithNothingSelectedKeepsThePreviousPage) {
    TFTerminal& w = start();
    w.pages().pcChan->setCurrentIndex(kTerminalPage);
    EXPECT_EQ(mainPage(), kTerminalPage);
    EXPECT_TRUE(w.menus().mmTools->menuAction()->isEnabled());
    w.pages().pcChan->setCurrentIndex(kModulePage);
    EXPECT_EQ(mainPage(), kTerminalPage);
    w.pages().pcChan->setCurrentIndex(kSystemPage);
    EXPECT_FALSE(w.menus().mmTools->menuAction()->isEnabled());
}

TEST_F(MainWindow, ModulePageReadsTheShownTab) {
    TFTerminal& w = start();
    QStringList reads;
    tabs[kIdentTab].onRead = [&] { reads << "id"; };
    tabs[kFlashTab].onRead = [&] { reads << "flash"; };
    tabs[kRamTab].onRead = [&] { reads << "ram"; };
    w.setHexLoadingAvailable(true);
    w.module().SelectionLevel = 1;
    w.pages().pcChan->setCurrentIndex(kModulePage);
    EXPECT_EQ(mainPage(), kModulePage);
    w.pages().pcMon->setCurrentIndex(kFlashTab);
    EXPECT_TRUE(action("mmLoadHex")->isEnabled());
    EXPECT_TRUE(action("pmSys_ClFl")->isVisible());
    w.pages().pcMon->setCurrentIndex(kRamTab);
    EXPECT_FALSE(action("mmLoadHex_Shift")->isEnabled());
    EXPECT_FALSE(action("pmSys_ClFl")->isVisible());
    EXPECT_EQ(reads, (QStringList{"id", "flash", "ram"}));
}

TEST_F(MainWindow, AutoRefreshLocksTabClicksButNotTheKeys) {
    TFTerminal& w = start();
    w.module().SelectionLevel = 1;
    w.pages().pcChan->setCurrentIndex(kModulePage);
    w.pages().pcMon->setCurrentIndex(kRamTab);
    w.pages().cbAutoApDateRAM->setChecked(true);
    w.pages().pcChan->setCurrentIndex(kSystemPage);
    EXPECT_EQ(mainPage(), kModulePage);
    w.pages().pcMon->setCurrentIndex(kEepromTab);
    EXPECT_EQ(moduleTab(), kRamTab);
    key(Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_EQ(moduleTab(), kEepromTab);
    key(Qt::Key_F7);
    EXPECT_EQ(mainPage(), kTerminalPage);
    key(Qt::Key_F5);
    EXPECT_EQ(mainPage(), kSystemPage);
    key(Qt::Key_F6);
    EXPECT_EQ(mainPage(), kModulePage);
}

TEST_F(MainWindow, ScanRunningRefusesMainTabClicks) {
    TFTerminal& w = start();
    w.scan().SystemIdle = false;
    w.pages().pcChan->setCurrentIndex(kTerminalPage);
    EXPECT_EQ(mainPage(), kSystemPage);
    w.scan().SystemIdle = true;
}

TEST_F(MainWindow, F6OnTheSystemPageNeedsASelection) {
    TFTerminal& w = start();
    key(Qt::Key_F6);
    EXPECT_EQ(mainPage(), kSystemPage);
    w.pages().pcChan->setCurrentIndex(kTerminalPage);
    key(Qt::Key_F6);
    EXPECT_EQ(mainPage(), kModulePage);
    key(Qt::Key_F5);
    EXPECT_EQ(mainPage(), kSystemPage);
    key(Qt::Key_F7);
    EXPECT_EQ(mainPage(), kSystemPage);
    w.module().SelectionLevel = 2;
    key(Qt::Key_F7);
    EXPECT_EQ(mainPage(), kTerminalPage);
}

TEST_F(MainWindow, ShiftKeysSwitchModuleTabs) {
    TFTerminal& w = start();
    QStringList reads;
    tabs[kSfrTab].onRead = [&] { reads << "sfr"; };
    tabs[kEepromTab].onRead = [&] { reads << "ee"; };
    w.module().SelectionLevel = 1;
    w.pages().pcChan->setCurrentIndex(kModulePage);
    key(Qt::Key_F9, Qt::ShiftModifier);
    EXPECT_EQ(moduleTab(), kSfrTab);
    key(Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_EQ(moduleTab(), kEepromTab);
    key(Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(moduleTab(), kFlashTab);
    key(Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_EQ(moduleTab(), kIdentTab);
    EXPECT_EQ(reads, (QStringList{"sfr", "ee"}));
    // Shift with Ctrl is not "Shift"
    key(Qt::Key_F9, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(moduleTab(), kIdentTab);
}

TEST_F(MainWindow, OtherKeysGoToTheModuleTab) {
    TFTerminal& w = start();
    std::vector<std::pair<int, int>> seen;
    for (int tab = 0; tab < kModuleTabCount; ++tab)
        tabs[static_cast<size_t>(tab)].onKey = [&seen, tab](QKeyEvent* e) {
            seen.emplace_back(tab, e->key());
            return true;
        };
    w.module().SelectionLevel = 1;
    w.pages().pcChan->setCurrentIndex(kModulePage);
    w.pages().pcMon->setCurrentIndex(kFlashTab);
    key(Qt::Key_PageDown);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0],
              std::make_pair(static_cast<int>(kFlashTab), static_cast<int>(Qt::Key_PageDown)));
}

TEST_F(MainWindow, EscapeStopsAVisibleScan) {
    TFTerminal& w = start();
    int stops = 0;
    seams.onStopScan = [&] { ++stops; };
    key(Qt::Key_Escape);
    EXPECT_EQ(stops, 0);
    w.pages().pSkan->show();
    key(Qt::Key_Escape);
    EXPECT_EQ(stops, 1);
}

TEST_F(MainWindow, Timer1OpensTheIdentifierTab) {
    TFTerminal& w = start();
    int reads = 0;
    tabs[kIdentTab].onRead = [&] { ++reads; };
    w.module().SelectionLevel = 1;
    w.pages().pSkan->show();
    w.startTimer1();
    QTest::qWait(100);
    EXPECT_EQ(mainPage(), kSystemPage);  // nothing while the scan panel shows
    w.pages().pSkan->hide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return reads == 1; }, 3000));
    EXPECT_FALSE(w.timer1().isActive());
    EXPECT_EQ(mainPage(), kModulePage);
    EXPECT_EQ(moduleTab(), kIdentTab);
}

TEST_F(MainWindow, Timer1WaitsForTheTransactionInFlight) {
    TFTerminal& w = start();
    int reads = 0;
    tabs[kIdentTab].onRead = [&] { ++reads; };
    {
        auto lock = server->lockNetwork();
        sim::FaultPlan late;
        late.lateMs = 150;  // well inside the 200 ms limit
        network.setFaults(late);
    }
    w.Comm().setBaud(9600);  // a 600 ms limit: the late reply is in time by far
    w.module().SelectionLevel = 1;
    w.startTimer1();  // ticks every 30 ms, during the wait below
    EXPECT_EQ(w.engine().transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code, 0);
    EXPECT_EQ(reads, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reads == 1; }, 3000));
    EXPECT_EQ(mainPage(), kModulePage);
}

TEST_F(MainWindow, MainTabsAre140PixelsWideAndAsTallAsTheirFontNeeds) {
    TFTerminal& w = start();
    QTabBar* bar = w.pageControl()->tabBar();
    for (int i = 0; i < bar->count(); ++i) EXPECT_EQ(bar->tabRect(i).width(), 140) << i;
    const int before = bar->tabRect(0).height();
    // A larger font (the desktop's setting changed) makes the tabs taller at once.
    QFont big = bar->font();
    big.setPointSize(big.pointSize() * 3);
    bar->setFont(big);
    QApplication::processEvents();
    EXPECT_GT(bar->tabRect(0).height(), before);
    EXPECT_EQ(bar->tabRect(2).width(), 140);
}
