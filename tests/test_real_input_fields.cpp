// The hexadecimal fields of the Module page and of the dialogs, typed into through real
// input (tests/support/RealInput.h): what each lets in, and what reaches the module.

#include "tests/support/RealInput.h"

namespace velmora::testing {

namespace {

// Node 01 as the built-in network has it, with the two identifier fields a real node
// adds after the four it shares with its modules: its link parameters, which the
// identifier list shows on lines 16 to 19 (the vector, kept at EEPROM FC, on line 19).
constexpr const char* kNodeWithLinkParameters =
    "node 01\n"
    "id ПЛК-18 узел|Базовое|2.03|15.01.2026|000101|Велмора|Велмора|service@velmora.example|"
    "velmora.example|+7 000 000-00-00|-|Симулятор узла|115200|01|115200|01|00|00\n"
    "ee 0FC 00 15 00 01\n"
    "flash 2000 EF 10 F0 0F 12 00 FF FF\n";

}  // namespace

class RealFields : public RealInput {
protected:
    // Node 01 chosen in the tree, its identifier read.
    void chooseNode01() {
        const size_t before = wire().size();
        clickAt(item("tvSysInf", kTreeNode01));
        ASSERT_TRUE(waitFocus("lbIdMod"));
        ASSERT_TRUE(waitAnswered(before, "01 78"));
    }
    void showTab(int index, const char* focus, const char* lastRead) {
        const size_t before = wire().size();
        clickAt(tab("pcMon", index));
        ASSERT_TRUE(waitFocus(focus));
        ASSERT_TRUE(waitAnswered(before, lastRead));
    }
    // The SFR list's row showing register `name`.
    int sfrRow(const std::string& name) {
        for (int row = 0; row < 128; ++row)
            if (text("lbSFR", row).rfind(name + " ", 0) == 0) return row;
        return -1;
    }
};

// The cell editors of RAM, EEPROM and SFR open on a hexadecimal digit or Enter (a double
// click in the grid), take hexadecimal digits only, upper-cased, and Enter writes the
// byte: the write frame carries it, and a page read back shows it. Esc writes nothing.
// The address boxes move the Flash and EEPROM views; Page Down and Up step the Flash
// page; the RAM address box is only read.
TEST_F(RealFields, CellEditorsWriteTheTypedByteAndLetNoOtherLetterIn) {
    start({.knownNetwork = true});
    chooseNode01();

    // RAM 020 is row 3, column 1 (rows of 16 from 000).
    showTab(2, "sgRAM", "01 70 00 80 80");
    clickAt(item("sgRAM", 3, 1));
    ASSERT_TRUE(waitUntil([&] { return currentAt("sgRAM", 3, 1); }));
    type("xk");  // no hexadecimal digit: the editor stays closed
    type("3");
    ASSERT_TRUE(waitFocus("edRAM")) << "a digit did not open the editor";
    type("xkc");
    EXPECT_TRUE(waitText("edRAM", "3C"));
    size_t before = wire().size();
    press(XK_Return);
    EXPECT_TRUE(waitSent(before, "01 71 00 20 01 3C"));
    ASSERT_TRUE(waitAnswered(before, "01 70 00 80 80"));
    EXPECT_EQ(text("sgRAM", 3, 1), "3C") << "the page read back does not show the byte";
    EXPECT_EQ(focus(), "sgRAM");
    // A double click opens the editor on the cell's text, all of it chosen.
    clickAt(item("sgRAM", 3, 3), 1, 2);
    ASSERT_TRUE(waitFocus("edRAM"));
    EXPECT_EQ(text("edRAM"), "00");
    type("a5");
    before = wire().size();
    press(XK_KP_Enter);
    EXPECT_TRUE(waitSent(before, "01 71 00 22 01 A5"));
    ASSERT_TRUE(waitAnswered(before, "01 70 00 80 80"));
    EXPECT_EQ(text("sgRAM", 3, 3), "A5");
    // Esc closes the editor and writes nothing.
    type("7");
    ASSERT_TRUE(waitFocus("edRAM"));
    before = wire().size();
    press(XK_Escape);
    ASSERT_TRUE(waitFocus("sgRAM"));
    EXPECT_FALSE(shown("edRAM"));
    // The RAM address box takes no typing; Enter reads the page of what it shows.
    press(XK_Tab);
    ASSERT_TRUE(waitFocus("edAdrRAM"));
    const std::string shownAddress = text("edAdrRAM");
    type("1");
    press(XK_Return);
    ASSERT_TRUE(waitSent(before, "01 70 00 00 80"));
    EXPECT_EQ(text("edAdrRAM"), shownAddress);
    const std::vector<std::string> afterEsc = wire();
    for (size_t i = before; i < afterEsc.size(); ++i)
        EXPECT_NE(afterEsc[i].rfind("01 71", 0), 0u) << "written after Esc: " << afterEsc[i];
    ASSERT_TRUE(waitAnswered(before, "01 70 00 80 80"));
    // A range panel's click shows its range.
    before = wire().size();
    click("pnRAM1");
    EXPECT_TRUE(waitSent(before, "01 70 01 00 80"));
    ASSERT_TRUE(waitAnswered(before, "01 70 01 80 80"));

    // EEPROM 010 is row 2, column 1. At the node's level a written cell shows what was
    // typed; "Обновить" reads it back.
    showTab(3, "sgEE", "01 74 00 80 80");
    clickAt(item("sgEE", 2, 1));
    EXPECT_TRUE(waitText("edAdrEE", "010"));
    type("5");
    ASSERT_TRUE(waitFocus("edEE"));
    type("xe");
    EXPECT_TRUE(waitText("edEE", "5E"));
    before = wire().size();
    press(XK_Return);
    ASSERT_TRUE(waitAnswered(before, "01 75 00 10 01 5E"));
    before = wire().size();
    click("sbUpDateSE");
    ASSERT_TRUE(waitAnswered(before, "01 74 00 80 80"));
    // "Обновить" empties the grid, and once its read is over fills it and gives it the
    // focus in one go: a Tab pressed before that would be undone.
    EXPECT_TRUE(waitUntil([&] { return text("sgEE", 2, 1) == "5E"; })) << text("sgEE", 2, 1);
    // A window manager that focuses on click holds the press until it has, and keys
    // typed meanwhile come first: the click has landed once the address box shows the
    // clicked cell (EEPROM 046, row 5, column 7). The grid had the focus already.
    clickAt(item("sgEE", 5, 7));
    ASSERT_TRUE(waitText("edAdrEE", "046"));
    ASSERT_TRUE(waitFocus("sgEE"));
    // The address box, reached by Tab, has its text chosen: typing replaces it.
    press(XK_Tab);
    ASSERT_TRUE(waitFocus("edAdrEE"));
    type("2xa5");
    EXPECT_TRUE(waitText("edAdrEE", "2A5"));
    before = wire().size();
    press(XK_Return);
    EXPECT_TRUE(waitSent(before, "01 74 02 00 80"));
    ASSERT_TRUE(waitAnswered(before, "01 74 02 80 80"));

    // Flash: the address box (Tab from the grid, past the bottom's list), then the page
    // keys and the arrow buttons.
    showTab(1, "sgFL", "01 76 20 80 80");
    press(XK_Tab);
    press(XK_Tab);
    ASSERT_TRUE(waitFocus("edAdrFL"));
    type("2z1g00");
    EXPECT_TRUE(waitText("edAdrFL", "2100"));
    before = wire().size();
    press(XK_Return);
    EXPECT_TRUE(waitSent(before, "01 76 21 00 80"));
    ASSERT_TRUE(waitAnswered(before, "01 76 21 80 80"));
    const struct {
        KeySym key, modifier;
        const char* page;
    } steps[] = {{XK_Next, NoSymbol, "01 76 22"},
                 {XK_Next, XK_Shift_L, "01 76 32"},
                 {XK_Prior, NoSymbol, "01 76 31"}};
    for (const auto& s : steps) {
        before = wire().size();
        press(s.key, s.modifier);
        EXPECT_TRUE(waitSent(before, std::string(s.page) + " 00 80")) << s.page;
        ASSERT_TRUE(waitAnswered(before, std::string(s.page) + " 80 80")) << s.page;
    }
    before = wire().size();
    click("spFL_Up");
    EXPECT_TRUE(waitSent(before, "01 76 30 00 80"));
    ASSERT_TRUE(waitAnswered(before, "01 76 30 80 80"));

    // SFR: ADCON0 is at FC2 on the PIC18. Enter opens the editor over its value.
    showTab(4, "lbSFR", "01 70 0F 80 80");
    const int adcon0 = sfrRow("ADCON0");
    ASSERT_GE(adcon0, 0);
    clickAt(item("lbSFR", adcon0));
    EXPECT_TRUE(waitText("edAdrSFR", "FC2"));
    press(XK_Return);
    ASSERT_TRUE(waitFocus("edSFR"));
    type("x9kb");
    EXPECT_TRUE(waitText("edSFR", "9B"));
    before = wire().size();
    press(XK_Return);
    EXPECT_TRUE(waitSent(before, "01 71 0F C2 01 9B"));
    ASSERT_TRUE(waitAnswered(before, "01 70 0F 80 80"));
    EXPECT_EQ(text("lbSFR", adcon0).substr(text("lbSFR", adcon0).find('=')), "=9B");
}

// Each dialog's fields take their keys only: the link parameter's value (the write
// carries it, the EEPROM then holds it), the erase range (Enter moves between the two,
// Ctrl+Enter erases, Esc does not), the Flash offset, and the added node's address
// (an even second digit). Every dialog opens from its popup or menu entry by mouse.
TEST_F(RealFields, DialogFieldsTakeTheirKeysOnly) {
    start({.knownNetwork = true, .network = kNodeWithLinkParameters});
    chooseNode01();

    // The vector, the identifier list's last line, chosen by End; Enter edits it.
    press(XK_End);
    EXPECT_TRUE(waitUntil([&] { return text("lbIdMod").find("00") != std::string::npos; }));
    press(XK_Return);
    activate("TFEditParMod");
    ASSERT_TRUE(waitFocus("edPar"));
    EXPECT_EQ(text("edPar"), "00");
    press(XK_BackSpace);
    press(XK_BackSpace);
    type("x1k7");
    EXPECT_TRUE(waitText("edPar", "17"));
    size_t before = wire().size();
    press(XK_Return);
    EXPECT_TRUE(waitSent(before, "01 75 00 FC 01 17"));
    activate("TFTerminal");
    // The identifier is read again after the write.
    ASSERT_TRUE(waitAnswered(before, "01 78"));
    before = wire().size();
    press(XK_F8, XK_Shift_L);
    ASSERT_TRUE(waitFocus("sgEE"));
    ASSERT_TRUE(waitAnswered(before, "01 74 00 80 80"));
    EXPECT_EQ(text("sgEE", 16, 13), "17") << "EEPROM FC does not hold the vector written";

    // The erase dialog from the Flash grid's popup. Its fields keep hexadecimal digits.
    before = wire().size();
    press(XK_F6, XK_Shift_L);
    ASSERT_TRUE(waitFocus("sgFL"));
    ASSERT_TRUE(waitAnswered(before, "01 76 20 80 80"));
    ASSERT_EQ(text("sgFL", 1, 1), "EF");
    const auto openErase = [&] {
        clickAt(item("sgFL", 1, 1), 3);
        click("pmSys_ClFl");
        activate("TFClear_FL");
        ASSERT_TRUE(waitFocus("edStartAdr"));
    };
    openErase();
    EXPECT_EQ(text("edStartAdr"), "2000");
    for (int i = 0; i < 4; ++i) press(XK_BackSpace);
    type("2z1g00");
    EXPECT_TRUE(waitText("edStartAdr", "2100"));
    press(XK_Return);
    ASSERT_TRUE(waitFocus("edFinAdr_FL"));
    before = wire().size();
    press(XK_Escape);
    ASSERT_TRUE(waitUntil([&] { return !windowShown("TFClear_FL"); })) << "Esc left it open";
    activate("TFTerminal");
    // Block 2000..203F erased: the page read after it shows the first byte erased.
    openErase();
    for (int i = 0; i < 4; ++i) press(XK_BackSpace);
    type("2000");
    press(XK_Return);
    ASSERT_TRUE(waitFocus("edFinAdr_FL"));
    for (int i = 0; i < 4; ++i) press(XK_BackSpace);
    type("203f");
    EXPECT_TRUE(waitText("edFinAdr_FL", "203F"));
    EXPECT_EQ(wire().size(), before) << "Esc erased";
    press(XK_Return, XK_Control_L);
    activate("QMessageBox");
    EXPECT_EQ(text("qt_msgbox_label"), "Стирание окончено");
    press(XK_Return);
    activate("TFTerminal");
    EXPECT_TRUE(waitUntil([&] { return text("sgFL", 1, 1) == "FF"; }));

    // "Загрузить *hex файл со смещением" asks the offset first, then the file.
    chooseMenu("mmFile", "mmLoadHex_Shift");
    activate("TFshiftFlash");
    ASSERT_TRUE(waitFocus("edShiftFlash"));
    EXPECT_EQ(text("edShiftFlash"), "0");
    press(XK_BackSpace);
    type("1g0z");
    EXPECT_TRUE(waitText("edShiftFlash", "10"));
    press(XK_Return);
    activate("QFileDialog");
    press(XK_Escape);
    activate("TFTerminal");

    // The add-node dialog from the tree's popup: the second digit must be even.
    press(XK_F5);
    ASSERT_TRUE(waitShown("tvSysInf"));
    clickAt(item("tvSysInf", kTreeNode01), 3);
    click("pmAddModulModbas");
    activate("TFHandSetConfig");
    ASSERT_TRUE(waitFocus("edAdrModbus"));
    press(XK_BackSpace);
    press(XK_BackSpace);
    type("xa5k4");
    EXPECT_TRUE(waitText("edAdrModbus", "A4"));
    press(XK_Return);
    activate("TFTerminal");
    EXPECT_TRUE(waitUntil([&] { return text("tvSysInf", kTreeNode03 + 1) == "$A4"; }))
        << text("tvSysInf", kTreeNode03 + 1);
}

}  // namespace velmora::testing
