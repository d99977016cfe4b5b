// The main window offscreen on the pty of the node monitor on a simulated PIC18F6520
// (velmora-pic18): the scan finds the node, and the RAM tab shows the chip's RAM as
// gpsim has it.

#include <gtest/gtest.h>

#include <QTest>

#include "app/MemoryTabs.h"
#include "app/Subsystems.h"
#include "tests/support/Pic18Node.h"
#include "tests/support/WindowFixture.h"

namespace velmora::testing {

namespace {

class Pic18Window : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_TRUE(node.start());
        options.portOverride = link::PortChoice{1, node.path()};
    }
    void TearDown() override {
        page.reset();
        WindowFixture::TearDown();
        node.stop();
    }

    Pic18Node node;
    std::unique_ptr<system::SystemPage> page;
};

}  // namespace

TEST_F(Pic18Window, TheScanFindsTheNodeAndTheRamTabShowsTheChipsRam) {
    QStringList seed;
    for (int i = 0; i < 256; ++i)
        seed << QString("p18f6520.ramData[0x%1] = 0x%2").arg(0x200 + i, 0, 16).arg((i * 7 + 3) & 0xFF, 0, 16);
    node.gpsim(seed);
    asTheProgramStarts = true;
    writeSettings("[System]\nAutoSkan=0\n");
    TFTerminal& w = start([&](TFTerminal& t) {
        page = app::makeSystemPage(t);
        page->setNodeRange({1, 3});
        installMemoryTabs(t);
    });

    w.pages().btn_sysUpDate->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page->scanning() && !w.pages().pSkan->isVisible(); }, 20000));
    QTreeWidgetItem* root = w.pages().treeRoot;
    ASSERT_EQ(root->childCount(), 1);
    EXPECT_EQ(root->child(0)->text(0), "$01");
    EXPECT_EQ(root->child(0)->childCount(), 0);  // no i2c bus on this node

    w.pages().tvSysInf->setCurrentItem(root->child(0));
    EXPECT_EQ(w.module().SelectionLevel, 1);
    w.showMainPageQuietly(kModulePage);
    w.showModuleTabQuietly(kRamTab);
    w.pcMonChange();
    QTest::mouseClick(w.pages().pnRAM[2], Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.pages().sgRAM->cellText(1, 0) == "200"; }, 5000));
    QTest::qWait(20);  // lets the read held until the link was free run
    const std::vector<int> chip = node.ram(0x200, 256);
    for (int row = 0; row < 16; ++row)
        for (int column = 0; column < 16; ++column)
            EXPECT_EQ(w.pages().sgRAM->cellText(row + 1, column + 1),
                      QString("%1").arg(chip[row * 16 + column], 2, 16, QChar('0')).toUpper())
                << row << "," << column;
}

}  // namespace velmora::testing
