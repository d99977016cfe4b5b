// The Flash, RAM, EEPROM and SFR tabs in the window, offscreen, against the built-in
// network on a pseudo-terminal: node 01 (level 1) and its i2c module 10 (level 2).

#include <QAccessible>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

#include "app/MemoryTabs.h"
#include "symbols/gui/ProjectSymbols.h"
#include "tests/support/Gpasm.h"
#include "tests/support/WindowFixture.h"
#include "views/gui/TFShowVar.h"

namespace velmora::testing {

namespace {

class MemoryTabsWindow : public WindowFixture {
protected:
    TFTerminal& open(uint8_t slave, int tab) {
        TFTerminal& w = start([](TFTerminal& t) { installMemoryTabs(t); });
        w.module().select(0x01, slave, slave ? 2 : 1);
        w.showMainPageQuietly(kModulePage);
        memory = memoryTabs(w);
        w.showModuleTabQuietly(tab);
        w.pcMonChange();
        return w;
    }
    sim::SimModule& sub() { return *network.node(1)->subModule(0x10); }
    sim::SimModule& node() { return network.node(1)->module(); }
    QString cell(views::MemoryGrid* g, int row, int column) { return g->cellText(row, column); }
    // Lets queued actions (held until the link was free) run.
    void settle() { QTest::qWait(20); }

    MemoryTabs* memory = nullptr;
};

}  // namespace

TEST_F(MemoryTabsWindow, RamRangeButtonReadsTheSubModulesPageAndKeepsItsWindowPage) {
    {
        auto lock = server->lockNetwork();
        sub().ram[0x51] = 0x09;
        for (int i = 0; i < 256; ++i) sub().ram[0x300 + i] = static_cast<uint8_t>(i);
    }
    TFTerminal& w = open(0x10, kRamTab);
    auto& p = w.pages();
    QTest::mouseClick(p.pnRAM[3], Qt::LeftButton);
    settle();
    EXPECT_EQ(w.addresses().AdrRAM, 0x300);
    EXPECT_EQ(p.cbRangRAM->currentIndex(), 3);
    EXPECT_TRUE(p.pnRAM[3]->getActive());
    EXPECT_FALSE(p.pnRAM[0]->getActive());
    EXPECT_EQ(cell(p.sgRAM, 1, 0), "300");
    EXPECT_EQ(cell(p.sgRAM, 16, 0), "3F0");
    EXPECT_EQ(cell(p.sgRAM, 11, 4), "A3");
    EXPECT_EQ(cell(p.sgRAM, 16, 16), "FF");
    EXPECT_TRUE(memory->ram.RAMValid());
    auto lock = server->lockNetwork();
    EXPECT_EQ(sub().ram[0x51], 0x09);
}

TEST_F(MemoryTabsWindow, RamColoursAndTheMonitorHint) {
    TFTerminal& w = open(0, kRamTab);
    auto& p = w.pages();
    // Page 0: rows 6..8 (0x050..0x07F) red.
    EXPECT_EQ(p.sgRAM->item(6, 1)->foreground().color(), QColor(Qt::red));
    EXPECT_EQ(p.sgRAM->item(9, 1)->foreground().style(), Qt::NoBrush);
    p.sgRAM->setCurrentCell(6, 2);  // 0x051
    EXPECT_EQ(p.sgRAM->toolTip(), "REG_PAGE");
    p.sgRAM->setCurrentCell(9, 1);  // 0x080
    EXPECT_EQ(p.sgRAM->toolTip(), "");
    // Range F: the SFR half teal.
    QTest::mouseClick(p.pnRAM[15], Qt::LeftButton);
    settle();
    EXPECT_EQ(p.sgRAM->item(9, 1)->foreground().color(), QColor(0, 0x80, 0x80));
    // A node that does not answer: the values stay, drawn silver.
    w.module().select(0x09, 0, 1);
    w.pcMonChange();
    EXPECT_FALSE(memory->ram.RAMValid());
    EXPECT_EQ(p.sgRAM->item(1, 1)->foreground().color(), QColor(0xC0, 0xC0, 0xC0));
}

TEST_F(MemoryTabsWindow, RamCellEditorWritesAndMovesOn) {
    TFTerminal& w = open(0x10, kRamTab);
    auto& p = w.pages();
    p.sgRAM->setCurrentCell(16, 16);  // 0x0FF
    p.sgRAM->setFocus();
    key(Qt::Key_7);
    views::CellEditor* ed = memory->ram.editor();
    ASSERT_TRUE(ed->isVisible());
    EXPECT_EQ(ed->text(), "7");
    key(Qt::Key_A);
    key(Qt::Key_Return);
    settle();
    EXPECT_FALSE(ed->isVisible());
    EXPECT_EQ(memory->ram.selected(), (views::Cell{1, 1}));
    EXPECT_EQ(cell(p.sgRAM, 16, 16), "7A");
    auto lock = server->lockNetwork();
    EXPECT_EQ(sub().ram[0x0FF], 0x7A);
}

TEST_F(MemoryTabsWindow, InspectorShowsTheChosenTypeAndTheSfrName) {
    {
        auto lock = server->lockNetwork();
        for (int i = 0; i < 4; ++i) sub().ram[0xF80 + i] = 0xFF;
    }
    TFTerminal& w = open(0x10, kRamTab);
    auto& p = w.pages();
    QTest::mouseClick(p.pnRAM[15], Qt::LeftButton);
    settle();
    w.showVar()->setChoice(views::VarType::Long, views::VarFormat::Dec);
    p.sgRAM->setCurrentCell(9, 1);  // 0xF80
    const QRect r = p.sgRAM->visualItemRect(p.sgRAM->item(9, 1));
    QTest::mouseClick(p.sgRAM->viewport(), Qt::LeftButton, {}, r.center());
    settle();
    EXPECT_EQ(p.lbValRAM->text(), "Long/Dec: -1");
    EXPECT_EQ(p.Label16->text(), "Имя SFR");
    EXPECT_EQ(p.edAdrRAM->text(), "PORTA");
    // OFF reads nothing and leaves the box alone.
    w.showVar()->setChoice(views::VarType::Long, views::VarFormat::Off);
    p.edAdrRAM->setText("F80");
    QTest::mouseClick(p.sgRAM->viewport(), Qt::LeftButton, {}, r.center());
    settle();
    EXPECT_EQ(p.lbValRAM->text(), "");
    EXPECT_EQ(p.edAdrRAM->text(), "F80");
    EXPECT_TRUE(w.menus().pmRAM_ShowVar->isEnabled());
}

// The value under the inspector belongs to one module: after a switch it is gone until
// the new module's bytes come, and a failed read keeps the module's last value drawn
// as stale, never as current.
TEST_F(MemoryTabsWindow, TheInspectorNeverShowsAnotherModulesValueAsCurrent) {
    {
        auto lock = server->lockNetwork();
        node().ram[0x020] = 0x41;
        sub().ram[0x020] = 0x42;
    }
    TFTerminal& w = open(0, kRamTab);
    auto& p = w.pages();
    w.showVar()->setChoice(views::VarType::UChar, views::VarFormat::Hex);
    p.sgRAM->setCurrentCell(3, 1);  // 0x020
    const QRect r = p.sgRAM->visualItemRect(p.sgRAM->item(3, 1));
    const auto click = [&] {
        QTest::mouseClick(p.sgRAM->viewport(), Qt::LeftButton, {}, r.center());
        settle();
    };
    click();
    EXPECT_EQ(p.lbValRAM->text(), "unsigned Char/Hex: 41");

    w.module().select(0x01, 0x10, 2);
    w.pcMonChange();
    EXPECT_EQ(p.lbValRAM->text(), "") << "node 01's value stayed under an i2c module";
    {
        auto lock = server->lockNetwork();
        sim::FaultPlan silent;
        silent.dropEvery = 1;
        network.setFaults(silent);
    }
    click();
    EXPECT_EQ(p.lbValRAM->text(), "") << "a failed read showed another module's bytes";
    {
        auto lock = server->lockNetwork();
        network.setFaults({});
    }
    click();
    EXPECT_EQ(p.lbValRAM->text(), "unsigned Char/Hex: 42");
    const QColor current = p.lbValRAM->palette().color(QPalette::WindowText);
    {
        auto lock = server->lockNetwork();
        sim::FaultPlan silent;
        silent.dropEvery = 1;
        network.setFaults(silent);
    }
    click();
    EXPECT_EQ(p.lbValRAM->text(), "unsigned Char/Hex: 42");
    EXPECT_NE(p.lbValRAM->palette().color(QPalette::WindowText), current)
        << "a value that could not be read again looks current";
}

// With the project's listing loaded, the inspector names the place a click reads, for
// the eye and for a screen reader, before its value; a place the listing does not name
// shows the value alone.
TEST_F(MemoryTabsWindow, TheInspectorNamesTheFirmwaresVariables) {
    test::Gpasm gpasm(VELMORA_GPASM);
    if (!gpasm.present()) GTEST_SKIP() << "gpasm is not installed";
    const std::string listing =
        gpasm.assemble("project", "        processor 18f6520\n        cblock 0x20\n"
                                  "            counter\n            flags\n        endc\n        end\n") +
        ".lst";
    {
        auto lock = server->lockNetwork();
        node().ram[0x020] = 0x41;
        node().ram[0x021] = 0x42;
        node().ram[0x030] = 0x43;
    }
    TFTerminal& w = open(0, kRamTab);
    const auto refused = w.workbench().symbols.load(listing);
    ASSERT_FALSE(refused) << *refused;
    auto& p = w.pages();
    w.showVar()->setChoice(views::VarType::UChar, views::VarFormat::Hex);
    const struct {
        int row, column;
        const char* shown;
    } cases[] = {
        {3, 1, "counter: unsigned Char/Hex: 41"},
        {3, 2, "flags: unsigned Char/Hex: 42"},
        {4, 1, "unsigned Char/Hex: 43"},  // RAM 030: no name
    };
    for (const auto& c : cases) {
        p.sgRAM->setCurrentCell(c.row, c.column);
        const QRect r = p.sgRAM->visualItemRect(p.sgRAM->item(c.row, c.column));
        QTest::mouseClick(p.sgRAM->viewport(), Qt::LeftButton, {}, r.center());
        settle();
        EXPECT_EQ(p.lbValRAM->text(), c.shown);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(p.lbValRAM)->text(QAccessible::Name), c.shown);
    }
}

TEST_F(MemoryTabsWindow, ARangeKeepsTheCursorsPlaceInThePage) {
    TFTerminal& w = open(0, kRamTab);
    auto& p = w.pages();
    QTest::mouseClick(p.pnRAM[1], Qt::LeftButton);
    p.sgRAM->setCurrentCell(11, 4);  // 0x1A3
    p.cbRangRAM->setCurrentIndex(5);
    emit p.cbRangRAM->activated(5);
    settle();
    EXPECT_EQ(w.addresses().AdrRAM, 0x5A3);
    EXPECT_EQ(p.edAdrRAM->text(), "5A3");
    EXPECT_EQ(cell(p.sgRAM, 1, 0), "500");
    EXPECT_EQ(memory->ram.selected(), (views::Cell{4, 11}));
    EXPECT_TRUE(p.pnRAM[1]->getActive());  // the combo box leaves the panels alone

    w.showModuleTabQuietly(kEepromTab);
    w.pcMonChange();
    p.sgEE->setCurrentCell(11, 6);  // 0x0A5
    p.cbRangEE->setCurrentIndex(3);
    emit p.cbRangEE->activated(3);
    settle();
    EXPECT_EQ(w.addresses().AdrEE, 0x3A5);
    EXPECT_EQ(cell(p.sgEE, 16, 0), "3F0");
}

TEST_F(MemoryTabsWindow, AutoRefreshLocksTheControlsAndRunsTheTimer) {
    TFTerminal& w = open(0, kRamTab);
    auto& p = w.pages();
    p.cbPapRAM->setCurrentIndex(1);
    emit p.cbPapRAM->activated(1);
    EXPECT_EQ(memory->ram.AutoPeriodRAM(), 1000);
    p.cbAutoApDateRAM->setChecked(true);
    EXPECT_TRUE(w.tmUpDate().isActive());
    EXPECT_EQ(w.tmUpDate().interval(), 1000);
    EXPECT_FALSE(p.cbRangRAM->isEnabled());
    EXPECT_FALSE(p.sbUpDateRAM->isEnabled());
    EXPECT_FALSE(w.menus().mmFile->menuAction()->isEnabled());
    EXPECT_TRUE(p.pnRAM[2]->isEnabled());
    p.cbAutoApDateRAM->setChecked(false);
    EXPECT_FALSE(w.tmUpDate().isActive());
    EXPECT_TRUE(p.cbRangRAM->isEnabled());
    EXPECT_TRUE(w.menus().mmSettings->menuAction()->isEnabled());
}

TEST_F(MemoryTabsWindow, AClickWhileTheLinkIsHeldWaitsForIt) {
    TFTerminal& w = open(0, kRamTab);
    auto& p = w.pages();
    {
        auto hold = w.engine().hold();
        QTest::mouseClick(p.pnRAM[2], Qt::LeftButton);
        settle();
        EXPECT_EQ(w.addresses().AdrRAM, 0x000);  // held, not lost
    }
    settle();
    EXPECT_EQ(w.addresses().AdrRAM, 0x200);
    EXPECT_EQ(cell(p.sgRAM, 1, 0), "200");
}

// A tab chosen while another tab's read still waits for its reply is read once that
// read is over, not shown with nothing read.
TEST_F(MemoryTabsWindow, ATabChosenDuringAReadIsReadAfterIt) {
    TFTerminal& w = open(0, kFlashTab);
    auto& p = w.pages();
    {
        auto hold = w.engine().hold();
        p.pcMon->setCurrentIndex(kRamTab);
        settle();
        EXPECT_EQ(cell(p.sgRAM, 6, 4), "");  // nothing read yet: the link is taken
    }
    settle();
    EXPECT_EQ(cell(p.sgRAM, 6, 4), "01");  // node 01's RAM 053, as the simulator holds it
}

TEST_F(MemoryTabsWindow, FlashPagingByKeysAndTheAddressBox) {
    TFTerminal& w = open(0, kFlashTab);
    auto& p = w.pages();
    p.sgFL->setCurrentCell(2, 1);  // 0x2010
    EXPECT_EQ(w.addresses().AdrFL, 0x2010);
    p.sgFL->setFocus();
    key(Qt::Key_PageUp);  // 0x1F10 is below the bottom
    settle();
    EXPECT_EQ(w.addresses().AdrFL, 0x2010);
    key(Qt::Key_PageDown);
    settle();
    EXPECT_EQ(w.addresses().AdrFL, 0x2110);
    EXPECT_EQ(cell(p.sgFL, 1, 0), "2100");
    EXPECT_EQ(p.sgFL->currentRow(), 2);
    EXPECT_EQ(p.edAdrFL->text(), "2110");
    // Node 01's Flash: EF 10 F0 0F 12 00 FF FF at 0x2000.
    p.edAdrFL->clear();
    p.edAdrFL->setFocus();
    QTest::keyClicks(p.edAdrFL, "1000");
    key(Qt::Key_Return);
    settle();
    EXPECT_EQ(w.addresses().AdrFL, 0x2000);
    EXPECT_EQ(p.edAdrFL->text(), "2000");
    EXPECT_EQ(cell(p.sgFL, 1, 1), "EF");
    // FF keeps the default colour, 12 is blue.
    EXPECT_EQ(p.sgFL->item(1, 7)->foreground().style(), Qt::NoBrush);
    EXPECT_EQ(p.sgFL->item(1, 5)->foreground().color(), QColor(Qt::blue));
    p.edAdrFL->setFocus();
    p.edAdrFL->clear();
    QTest::keyClicks(p.edAdrFL, "21a5");
    EXPECT_EQ(p.edAdrFL->text(), "21A5");
    key(Qt::Key_Return);
    settle();
    EXPECT_EQ(p.sgFL->currentRow(), 11);
    EXPECT_EQ(p.sgFL->currentColumn(), 6);
    EXPECT_EQ(cell(p.sgFL, 1, 0), "2100");
}

TEST_F(MemoryTabsWindow, EepromHintsSingleDigitWriteAndTheRedCells) {
    TFTerminal& w = open(0, kEepromTab);
    auto& p = w.pages();
    // Node 01: 0FC..0FF = 00 15 00 01, drawn red whatever their value.
    EXPECT_EQ(cell(p.sgEE, 16, 13), "00");
    EXPECT_EQ(p.sgEE->item(16, 16)->foreground().color(), QColor(Qt::red));
    EXPECT_EQ(p.sgEE->item(1, 1)->foreground().style(), Qt::NoBrush);  // FF
    p.sgEE->setCurrentCell(16, 15);                                    // 0x0FE
    const QRect r = p.sgEE->visualItemRect(p.sgEE->item(16, 15));
    QTest::mouseClick(p.sgEE->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(p.sgEE->toolTip(), "Адрес на Modbus");
    p.sgEE->setCurrentCell(2, 3);  // 0x012
    p.sgEE->setFocus();
    key(Qt::Key_5);
    ASSERT_TRUE(memory->eeprom.editor()->isVisible());
    EXPECT_EQ(memory->eeprom.editor()->text(), "5");
    EXPECT_EQ(w.addresses().AdrEE, 0x012);
    key(Qt::Key_Return);
    settle();
    EXPECT_EQ(cell(p.sgEE, 2, 3), "5");
    {
        auto lock = server->lockNetwork();
        EXPECT_EQ(node().eeprom[0x012], 0x05);
    }
    // Enter in the address box moves the view there.
    p.edAdrEE->setFocus();
    p.edAdrEE->clear();
    QTest::keyClicks(p.edAdrEE, "2a5");
    key(Qt::Key_Return);
    settle();
    EXPECT_EQ(w.addresses().AdrEE, 0x2A5);
    EXPECT_EQ(p.cbRangEE->currentIndex(), 2);
    EXPECT_TRUE(p.pnEE[2]->getActive());
    EXPECT_EQ(cell(p.sgEE, 1, 0), "200");
    EXPECT_EQ(p.sgEE->currentRow(), 11);
}

TEST_F(MemoryTabsWindow, SfrListAtBothLevelsAndWithNothingSelected) {
    {
        auto lock = server->lockNetwork();
        sub().ram[0xF80] = 0x3C;
    }
    TFTerminal& w = open(0x10, kSfrTab);
    auto& p = w.pages();
    ASSERT_EQ(p.lbSFR->count(), 128);
    EXPECT_EQ(p.lbSFR->item(0)->text(), "ADCON0   =00");
    const auto found = p.lbSFR->findItems("PORTA    =3C", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    p.lbSFR->setCurrentItem(found[0]);
    EXPECT_EQ(p.edAdrSFR->text(), "F80");
    const int row = p.lbSFR->currentRow();
    // Writing through the editor, then the list re-read keeps the same position.
    p.lbSFR->setFocus();
    key(Qt::Key_Return);
    ASSERT_TRUE(memory->sfr.editor()->isVisible());
    memory->sfr.editor()->clear();
    QTest::keyClicks(memory->sfr.editor(), "c3");
    key(Qt::Key_Return);
    settle();
    EXPECT_EQ(p.lbSFR->currentRow(), row);
    EXPECT_EQ(p.lbSFR->currentItem()->text(), "PORTA    =C3");
    // Nothing selected: the names with "??".
    w.module().clearSelection();
    w.pcMonChange();
    EXPECT_EQ(p.lbSFR->item(0)->text(), "ADCON0   =??");
}

namespace {
// The text of the next message box, which is then closed.
std::shared_ptr<QString> nextMessage() {
    auto text = std::make_shared<QString>("<none>");
    whenModal([text](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) *text = box->text();
        modal->close();
    });
    return text;
}
}  // namespace

TEST_F(MemoryTabsWindow, AnEmptyEepromEditorAtTheSubModuleSendsNothing) {
    {
        auto lock = server->lockNetwork();
        sub().ram[0x51] = 0x0B;
    }
    TFTerminal& w = open(0x10, kEepromTab);
    auto& p = w.pages();
    p.sgEE->setCurrentCell(3, 3);
    p.sgEE->setFocus();
    key(Qt::Key_Return);
    views::CellEditor* ed = memory->eeprom.editor();
    ASSERT_TRUE(ed->isVisible());
    ed->clear();
    unsigned before = 0;
    {
        auto lock = server->lockNetwork();
        before = network.requestsSeen();
    }
    auto message = nextMessage();
    key(Qt::Key_Return);
    settle();
    EXPECT_EQ(*message, "'' is not a valid integer value");
    auto lock = server->lockNetwork();
    EXPECT_EQ(network.requestsSeen(), before);
    EXPECT_EQ(sub().ram[0x51], 0x0B);
}

TEST_F(MemoryTabsWindow, AFailedSfrWriteSaysSo) {
    TFTerminal& w = open(0x10, kSfrTab);
    auto& p = w.pages();
    p.lbSFR->setCurrentRow(5);
    w.module().select(0x01, 0x30, 2);  // no module 30 behind node 01
    p.lbSFR->setFocus();
    key(Qt::Key_Return);
    ASSERT_TRUE(memory->sfr.editor()->isVisible());
    memory->sfr.editor()->clear();
    QTest::keyClicks(memory->sfr.editor(), "12");
    auto message = nextMessage();
    key(Qt::Key_Return);
    settle();
    EXPECT_EQ(*message, "Ошибка записи в SFR");
    EXPECT_EQ(p.lbSFR->count(), 128);  // the failed re-read keeps the list
}

// Tab and Shift+Tab leave an address box for the control beside it and come back, as
// from any other control: the boxes take only hexadecimal digits, not the focus keys.
TEST_F(MemoryTabsWindow, TabMovesOnFromEveryAddressBox) {
    struct Case {
        int tab;
        const char* box;
        const char* next;
    };
    const Case cases[] = {{kFlashTab, "edAdrFL", "spFL_Up"},
                          {kRamTab, "edAdrRAM", "cbRangRAM"},
                          {kEepromTab, "edAdrEE", "cbRangEE"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        if (!window) open(0, c.tab);
        window->showModuleTabQuietly(c.tab);
        auto* box = child<QLineEdit>(c.box);
        ASSERT_NE(box, nullptr);
        box->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == box; }, 2000));
        const QString before = box->text();
        key(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), c.next);
        key(Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), box);
        EXPECT_EQ(box->text(), before);
    }
}

namespace {
// The window becoming the active one again once a modal dialog has closed, as a window
// manager makes it (the offscreen platform leaves no window active).
bool activatedAgain(TFTerminal& w, QSignalSpy& activated) {
    if (!QTest::qWaitFor([] { return QApplication::activeModalWidget() == nullptr; }, 3000))
        return false;
    w.activateWindow();
    return QTest::qWaitFor([&] { return activated.count() > 0; }, 3000);
}

// Each row's address cell and each data cell of a grid against the page it should show.
void expectGridShows(views::MemoryGrid* g, uint16_t base, int digits,
                     const std::function<uint8_t(uint16_t)>& byteAt) {
    for (int r = 1; r <= 16; ++r) {
        const uint16_t row = static_cast<uint16_t>(base + 16 * (r - 1));
        EXPECT_EQ(g->cellText(r, 0), QString::number(row, 16).toUpper().rightJustified(digits, '0'));
        for (int c = 1; c <= 16; ++c)
            EXPECT_EQ(g->cellText(r, c),
                      QString::number(byteAt(static_cast<uint16_t>(row + c - 1)), 16)
                          .toUpper()
                          .rightJustified(2, '0'))
                << g->objectName().toStdString() << " at " << std::hex << row + c - 1;
    }
}
}  // namespace

// A modal dialog closing activates the window again; the grids keep their data, so
// their headers and the Flash cursor must stay on the page shown, not go back to the
// RAM cursor's row or to the Flash bottom.
TEST_F(MemoryTabsWindow, ClosingAModalDialogLeavesEveryGridNamingTheBytesItShows) {
    {
        auto lock = server->lockNetwork();
        for (int i = 0; i < 256; ++i) {
            node().ram[static_cast<size_t>(0x100 + i)] = static_cast<uint8_t>(0xFF - i);
            node().flash[static_cast<size_t>(0x2100 + i)] = static_cast<uint8_t>(i ^ 0x5A);
        }
    }
    TFTerminal& w = open(0, kRamTab);
    auto& p = w.pages();
    QTest::mouseClick(p.pnRAM[1], Qt::LeftButton);
    settle();
    p.sgRAM->setCurrentCell(11, 4);  // 0x1A3: a cursor in row 0A of page 1
    ASSERT_EQ(w.addresses().AdrRAM, 0x1A3);
    QSignalSpy activated(&w, &TFTerminal::activated);
    whenModal([](QWidget* modal) {
        QPushButton* apply = modal->findChild<QPushButton*>("btnApply");  // "Применить"
        if (apply) apply->click();
        else modal->close();
    });
    w.menus().pmRAM_ShowVar->trigger();
    ASSERT_TRUE(activatedAgain(w, activated));
    settle();
    {
        auto lock = server->lockNetwork();
        expectGridShows(p.sgRAM, 0x100, 3, [&](uint16_t a) { return node().ram[a]; });
    }

    w.showModuleTabQuietly(kFlashTab);
    w.pcMonChange();
    p.sgFL->setCurrentCell(2, 1);
    p.sgFL->setFocus();
    key(Qt::Key_PageDown);
    settle();
    ASSERT_EQ(w.addresses().AdrFL, 0x2110);
    bool aboutShown = false;
    whenModal([&](QWidget* modal) {
        aboutShown = true;  // "О программе"
        static_cast<QDialog*>(modal)->accept();
    });
    w.menus().N17->popup(w.mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return aboutShown; }, 3000));
    activated.clear();
    ASSERT_TRUE(activatedAgain(w, activated));
    settle();
    EXPECT_EQ(w.addresses().AdrFL, 0x2110);
    EXPECT_EQ(p.edAdrFL->text(), "2110");
    auto lock = server->lockNetwork();
    expectGridShows(p.sgFL, 0x2100, 4, [&](uint16_t a) { return node().flash[a]; });
}

// Every cell of each grid is on the screen or a visible scroll bar away, from the least
// window to a large one; in a large one the grid takes the room and the address boxes
// keep the width of what they hold.
TEST_F(MemoryTabsWindow, EveryCellOfEachGridCanBeBroughtIntoViewAtAnySize) {
    TFTerminal& w = open(0, kFlashTab);
    auto& p = w.pages();
    struct Tab {
        int index;
        views::MemoryGrid* grid;
        QLineEdit* address;
    };
    const Tab tabs[] = {{kFlashTab, p.sgFL, p.edAdrFL},
                        {kRamTab, p.sgRAM, p.edAdrRAM},
                        {kEepromTab, p.sgEE, p.edAdrEE}};
    for (const QSize size : {QSize(450, 402), QSize(500, 570), QSize(1280, 900)}) {
        w.resize(size);
        for (const Tab& t : tabs) {
            w.showModuleTabQuietly(t.index);
            QTest::qWait(20);
            views::MemoryGrid* g = t.grid;
            const std::string where = g->objectName().toStdString() + " at " +
                                      std::to_string(w.width()) + "x" + std::to_string(w.height());
            ASSERT_TRUE(g->isVisible()) << where;
            g->horizontalScrollBar()->setValue(0);
            g->verticalScrollBar()->setValue(0);
            const QRect view = g->viewport()->rect();
            for (int r = 0; r < 17; ++r)
                for (int c = 0; c < 17; ++c) {
                    const QModelIndex index = g->model()->index(r, c);
                    const QRect cell = g->visualRect(index);
                    if (cell.right() > view.right())
                        EXPECT_TRUE(g->horizontalScrollBar()->isVisible()) << where << " " << r << "," << c;
                    if (cell.bottom() > view.bottom())
                        EXPECT_TRUE(g->verticalScrollBar()->isVisible()) << where << " " << r << "," << c;
                }
            for (int r = 0; r < 17; ++r)
                for (int c = 0; c < 17; ++c) {
                    const QModelIndex index = g->model()->index(r, c);
                    g->scrollTo(index);
                    EXPECT_TRUE(view.contains(g->visualRect(index))) << where << " " << r << "," << c;
                }
            if (size.width() >= 1280) {
                // The whole page, its cells grown to fill the grid, the grid most of the page.
                EXPECT_FALSE(g->horizontalScrollBar()->isVisible()) << where;
                EXPECT_FALSE(g->verticalScrollBar()->isVisible()) << where;
                EXPECT_GE(g->visualRect(g->model()->index(16, 16)).right(), view.right() - 16) << where;
                EXPECT_GE(g->visualRect(g->model()->index(16, 16)).bottom(), view.bottom() - 16) << where;
                EXPECT_GT(g->width(), w.width() * 6 / 10) << where;
                EXPECT_LT(t.address->width(), w.width() / 8) << where;
            }
        }
    }
}

}  // namespace velmora::testing
