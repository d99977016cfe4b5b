// The tool windows opened from the menus and used through real input
// (tests/support/RealInput.h): the watch list, the command tester with its editor, the
// free terminal and the variable browser.

#include "tests/support/Gpasm.h"
#include "tests/support/RealInput.h"

namespace velmora::testing {

// "Инструменты" opens on the Terminal page. The watch list adds a variable from its
// fields and reads it while watching; Esc closes it. The tester takes F9 for its
// generator, its editor builds lines from fields that keep hexadecimal digits only,
// and it closes by its title bar, giving the main window back. The free terminal
// borrows the port and gives it back at the system speed.
TEST_F(RealInput, ToolWindowsOpenFromTheMenuAndWork) {
    start();
    clickAt(tab("pcChan", 2));
    ASSERT_TRUE(waitFocus("cbKomStr"));
    ASSERT_TRUE(enabled("mmTools"));

    chooseMenu("mmTools", "mmBrowser");
    activate("TFBrowser1");
    ASSERT_TRUE(waitFocus("lbWath"));
    // Tab to the mode's radio buttons; Down picks "Редактирование", which shows the fields.
    press(XK_Tab);
    ASSERT_TRUE(waitUntil([&] { return focusClass().rfind("QRadioButton", 0) == 0; }));
    press(XK_Down);
    ASSERT_TRUE(waitShown("pnEdit"));
    // Node addresses step by two from 02.
    click("UpD_Modbus");
    ASSERT_TRUE(waitFocus("UpD_Modbus"));
    press(XK_Up);
    EXPECT_TRUE(waitText("edAdr_Modbus", "04"));
    click("edAdr_RAM");
    ASSERT_TRUE(waitFocus("edAdr_RAM"));
    type("5x0k");
    EXPECT_TRUE(waitText("edAdr_RAM", "50"));
    click("btnAdd");
    EXPECT_TRUE(waitUntil([&] { return text("lbWath", 0).find("04") != std::string::npos; }));
    // Back to watching: the variable is read, one byte from RAM 050 of node 04.
    size_t before = wire().size();
    for (int i = 0; i < 12 && focusClass().rfind("QRadioButton", 0) != 0; ++i) {
        const std::string was = ask("focus");
        press(XK_Tab);
        waitUntil([&] { return ask("focus") != was; });
    }
    press(XK_Up);
    EXPECT_TRUE(waitSent(before, "04 70 00 50 01"));
    press(XK_Escape);
    ASSERT_TRUE(waitUntil([&] { return !windowShown("TFBrowser1"); }));
    activate("TFTerminal");

    chooseMenu("mmTools", "mmTester");
    activate("TFTestKom");
    EXPECT_FALSE(enabled("TFTerminal")) << "the main window stays usable beside the tester";
    press(XK_F9);
    EXPECT_TRUE(waitUntil([&] { return checked("rbGENactive"); })) << "F9 did not start it";
    press(XK_F9);
    EXPECT_TRUE(waitUntil([&] { return !checked("rbGENactive"); })) << "F9 did not stop it";
    click("N4");
    activate("TFEditorTest");
    click("edAdr_Modbus");
    ASSERT_TRUE(waitFocus("edAdr_Modbus"));
    type("x0g1");
    EXPECT_TRUE(waitText("edAdr_Modbus", "01"));
    // The command list by keys: the first entry is the RAM read.
    press(XK_Tab);
    ASSERT_TRUE(waitFocus("cbKom"));
    press(XK_Down);
    EXPECT_TRUE(waitText("cbKom", "[ 70 ] - чтение RAM"));
    click("edAdrRes_M");
    ASSERT_TRUE(waitFocus("edAdrRes_M"));
    type("5k0");
    EXPECT_TRUE(waitText("edAdrRes_M", "50"));
    click("edKol");
    ASSERT_TRUE(waitFocus("edKol"));
    type("z2");
    EXPECT_TRUE(waitText("edKol", "2"));
    click("btnRec");
    EXPECT_TRUE(waitUntil([&] { return text("lbMon_Kom", 0) == "01 70 00 50 02"; }))
        << text("lbMon_Kom", 0);
    // The i2c read: its fields show once chosen.
    click("edAdr_Modbus");
    ASSERT_TRUE(waitFocus("edAdr_Modbus"));
    press(XK_Tab);
    ASSERT_TRUE(waitFocus("cbKom"));
    press(XK_End);
    press(XK_Up);
    EXPECT_TRUE(waitText("cbKom", "[ 7A ] - чтение i2c"));
    ASSERT_TRUE(waitShown("edAdr_i2c"));
    click("edAdr_i2c");
    ASSERT_TRUE(waitFocus("edAdr_i2c"));
    type("1x0");
    EXPECT_TRUE(waitText("edAdr_i2c", "10"));
    click("edAdrRes_i");
    ASSERT_TRUE(waitFocus("edAdrRes_i"));
    type("x0k5");
    EXPECT_TRUE(waitText("edAdrRes_i", "05"));
    click("btnRec");
    EXPECT_TRUE(waitUntil([&] { return text("lbMon_Kom", 1) == "01 7A 10 05 02"; }))
        << text("lbMon_Kom", 1);
    press(XK_Escape);
    ASSERT_TRUE(waitUntil([&] { return !windowShown("TFEditorTest"); }));
    closeByTitleBar("TFTestKom");
    ASSERT_TRUE(waitUntil([&] { return !windowShown("TFTestKom"); }));
    EXPECT_TRUE(waitUntil([&] { return enabled("TFTerminal"); }));
    activate("TFTerminal");

    chooseMenu("mmTools", "mmTerminal");
    activate("TFfreeTerminal");
    closeByTitleBar("TFfreeTerminal");
    ASSERT_TRUE(waitUntil([&] { return !windowShown("TFfreeTerminal"); }));
    activate("TFTerminal");
    click("cbKomStr");
    ASSERT_TRUE(waitFocus("cbKomStr"));
    before = wire().size();
    type("1 78");
    press(XK_Return);
    EXPECT_TRUE(waitSent(before, "01 78")) << "the port did not come back";
}

// The variable browser opened from the Terminal page's popup, and its entry editor
// from the browser's own popup, the focus in its first field.
class VariableBrowserInput : public RealInput {
protected:
    void openEntryEditor(const ProgramStart& how) {
        start(how);
        clickAt(tab("pcChan", 2));
        ASSERT_TRUE(waitFocus("cbKomStr"));
        click("reProt", 3);
        click("Browser1");
        ASSERT_TRUE(waitUntil([&] { return windowShown("TFBrowser"); }));
        // "Добавить" is the popup's first entry.
        click("reBrow", 3);
        ASSERT_TRUE(waitUntil([&] { return active() == "QMenu"; }));
        press(XK_Down);
        press(XK_Return);
        activate("TFEditBrow");
        ASSERT_TRUE(waitFocus("edCID"));
    }
};

// The variable browser opens from the Terminal page's popup; its own popup adds a
// variable through the entry editor, which refuses a field that is not hexadecimal;
// "Пуск" reads it again and again.
TEST_F(VariableBrowserInput, ReadsTheVariableItsEditorWasGiven) {
    ASSERT_NO_FATAL_FAILURE(openEntryEditor({}));
    type("x1");
    for (int i = 0; i < 3; ++i) press(XK_Tab);
    ASSERT_TRUE(waitFocus("edAdr"));
    type("050");
    press(XK_Return);
    activate("QMessageBox");
    EXPECT_EQ(text("qt_msgbox_label"), "Адрес на Modbus - шестнадцатеричное число 01..FF");
    press(XK_Return);
    activate("TFEditBrow");
    ASSERT_TRUE(waitFocus("edCID"));
    press(XK_BackSpace);
    press(XK_BackSpace);
    type("01");
    press(XK_Tab);
    press(XK_Tab);
    type("2");
    press(XK_Return);
    ASSERT_TRUE(waitUntil([&] { return !windowShown("TFEditBrow"); }));
    // The entry's row: node 01, RAM 050, two bytes, in their columns.
    EXPECT_TRUE(waitUntil([&] {
        return text("reBrow", 0, 0) == "01" && text("reBrow", 0, 2) == "050" &&
               text("reBrow", 0, 3) == "02";
    })) << text("reBrow", 0, 0) << "|" << text("reBrow", 0, 2) << "|" << text("reBrow", 0, 3);
    const size_t before = wire().size();
    click("bbGEN");
    EXPECT_TRUE(waitSent(before, "01 70 00 50 02"));
    // RAM 050 and 051 of node 01 hold 00 00.
    EXPECT_TRUE(waitUntil([&] { return text("reBrow", 1, 4) == "00 00"; })) << text("reBrow", 1, 4);
    click("btnCloseBrw");
    ASSERT_TRUE(waitUntil([&] { return !windowShown("TFBrowser"); }));
}

// The watch list's chart by the mouse: "График" shows it, the wheel over it shows less
// time, and "Пауза" holds it while the reads go on.
TEST_F(RealInput, WatchChartShowsZoomsAndPauses) {
    start();
    clickAt(tab("pcChan", 2));
    ASSERT_TRUE(waitFocus("cbKomStr"));
    chooseMenu("mmTools", "mmBrowser");
    activate("TFBrowser1");
    click("rbEdit");
    ASSERT_TRUE(waitShown("pnEdit"));
    click("edAdr_RAM");
    ASSERT_TRUE(waitFocus("edAdr_RAM"));
    type("50");
    click("btnAdd");
    EXPECT_TRUE(waitUntil([&] { return text("lbWath", 0).find("050") != std::string::npos; }));
    size_t before = wire().size();
    click("rbWatch");
    EXPECT_TRUE(waitSent(before, "02 70 00 50 01"));
    EXPECT_FALSE(shown("chartView"));
    click("cbChart");
    ASSERT_TRUE(waitShown("chartView"));
    EXPECT_TRUE(checked("cbChart"));
    EXPECT_EQ(text("cbSpan"), "1 мин");
    click("chartView", 4);  // the wheel turned away from the user
    EXPECT_TRUE(waitText("cbSpan", "30 с"));
    click("cbPause");
    EXPECT_TRUE(waitUntil([&] { return checked("cbPause"); }));
    before = wire().size();
    EXPECT_TRUE(waitSent(before, "02 70 00 50 01")) << "the reads stopped with the chart";
    press(XK_Escape);
    ASSERT_TRUE(waitUntil([&] { return !windowShown("TFBrowser1"); }));
}

}  // namespace velmora::testing

namespace velmora::testing {

// With the project's listing chosen, a RAM name typed into the entry editor gives the
// variable its address, and the browser reads it there.
TEST_F(VariableBrowserInput, EntryEditorTakesAVariableByItsName) {
    test::Gpasm gpasm(VELMORA_GPASM);
    if (!gpasm.present()) GTEST_SKIP() << "gpasm is not installed";
    const std::string listing =
        gpasm.assemble("project", "        processor 18f6520\n        cblock 0x150\n"
                                  "            speed\n        endc\n        end\n") + ".lst";
    ASSERT_NO_FATAL_FAILURE(openEntryEditor({.symbolFile = listing}));
    type("01");
    press(XK_Tab);
    press(XK_Tab);
    type("2");
    press(XK_Tab);
    press(XK_Tab);
    ASSERT_TRUE(waitFocus("edSymbol"));
    type("speed");
    EXPECT_TRUE(waitUntil([&] { return text("edAdr") == "150"; })) << text("edAdr");
    // Tab closes the list of names if it dropped down, and moves on either way.
    press(XK_Tab);
    ASSERT_TRUE(waitFocus("edKom"));
    press(XK_Return);
    ASSERT_TRUE(waitUntil([&] { return !windowShown("TFEditBrow"); }));
    const size_t before = wire().size();
    click("bbGEN");
    EXPECT_TRUE(waitSent(before, "01 70 01 50 02"));
    click("btnCloseBrw");
    ASSERT_TRUE(waitUntil([&] { return !windowShown("TFBrowser"); }));
}

}  // namespace velmora::testing
