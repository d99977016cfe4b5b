// The main window's pages, keys and tree driven through real input (tests/support/RealInput.h).

#include <algorithm>

#include "tests/support/RealInput.h"

namespace velmora::testing {

namespace {

// The Module page's tabs in their order: the control each gives the focus to, and the
// first and last frames of its read of node 01 (the Flash page at the default bottom
// 2000, the pages in halves of 128 bytes; the SFR at F80).
struct ModuleTabCase {
    const char* focus;
    KeySym shiftKey;
    const char* first;
    const char* last;
};
constexpr ModuleTabCase kModuleTabs[] = {
    {"lbIdMod", XK_F5, "01 78", "01 78"},
    {"sgFL", XK_F6, "01 76 20 00 80", "01 76 20 80 80"},
    {"sgRAM", XK_F7, "01 70 00 00 80", "01 70 00 80 80"},
    {"sgEE", XK_F8, "01 74 00 00 80", "01 74 00 80 80"},
    {"lbSFR", XK_F9, "01 70 0F 80 80", "01 70 0F 80 80"},
};

}  // namespace

// The command line on the Terminal page, opened by a click on its tab (the command line
// then has the focus): each frame goes out once, with its CRC16 (Modbus, low byte
// first), as the simulator received it.
TEST_F(RealInput, TheCommandLineSendsWhatIsTypedThroughItsFilter) {
    start();
    clickAt(tab("pcChan", 2));
    ASSERT_TRUE(waitFocus("cbKomStr"));
    type("1 70 0 10 4");
    press(XK_Return);
    ASSERT_TRUE(waitUntil([&] { return wire() == std::vector<std::string>{"01 70 00 10 04 0F 03"}; }))
        << "typing and Enter sent nothing";
    for (int i = 0; i < 11; ++i) press(XK_BackSpace);
    // x and k are refused, a is upper-cased; the keypad's Enter sends too.
    type("0a xk7");
    press(XK_KP_Enter);
    ASSERT_TRUE(waitUntil([&] {
        return wire() == std::vector<std::string>{"01 70 00 10 04 0F 03", "0A 07 46 D2"};
    }));
    // Both lines are in the history, newest first: two steps down is the first one.
    for (int i = 0; i < 4; ++i) press(XK_BackSpace);
    press(XK_Down);
    press(XK_Down);
    press(XK_Return);
    EXPECT_TRUE(waitUntil([&] {
        return wire() == std::vector<std::string>{"01 70 00 10 04 0F 03", "0A 07 46 D2",
                                                  "01 70 00 10 04 0F 03"};
    })) << "the history did not bring the first command back";
}

// A frame line of the log taken apart: a double click on the identifier request that
// choosing node 01 sent shows its fields; the popup opens the decoder on the line
// right-clicked (the command line's own frame), and bytes typed over it are taken
// apart as they come, a spoilt CRC named.
TEST_F(RealInput, TheLogsFrameLinesAreTakenApart) {
    start({.knownNetwork = true});
    clickAt(item("tvSysInf", kTreeNode01));
    ASSERT_TRUE(waitAnswered(0, "01 78"));
    clickAt(tab("pcChan", 2));
    ASSERT_TRUE(waitFocus("cbKomStr"));
    type("1 70 0 10 4");
    press(XK_Return);
    ASSERT_TRUE(waitUntil([&] { return text("reProt").find("=> 01 70 00 10 04") != std::string::npos; }));
    // The log's lines from its top, as the probe counts its paragraphs.
    const auto lineOf = [&](const std::string& head) {
        const std::string log = text("reProt");
        int row = 0;
        for (size_t at = 0; at < log.size(); ++row) {
            const size_t end = std::min(log.find("\\n", at), log.size());
            if (log.compare(at, head.size(), head) == 0) return row;
            at = end + 2;
        }
        ADD_FAILURE() << "no line starts with " << head << " in " << log;
        return -1;
    };
    const int request = lineOf("Send>01 78 00 02");
    const int command = lineOf("=> 01 70 00 10 04 0F 03");
    ASSERT_TRUE(request >= 0 && command >= 0);

    clickAt(item("reProt", request), 1, 2);
    activate("FrameDecodeDialog");
    EXPECT_TRUE(waitText("reFrameFields", "node 01\\ncommand 78 rdID\\ncrc 0200 ok\\n"));
    EXPECT_EQ(text("lbFrameVerdict"), "Запрос; ответ: 256 байт");
    press(XK_Escape);
    ASSERT_TRUE(waitUntil([&] { return !windowShown("FrameDecodeDialog"); }));
    activate("TFTerminal");

    clickAt(item("reProt", command), 3);
    click("mmDecode");
    activate("FrameDecodeDialog");
    ASSERT_TRUE(waitFocus("edFrameBytes"));
    EXPECT_EQ(text("edFrameBytes"), "01 70 00 10 04 0F 03") << "not the line right-clicked";
    press(XK_a, XK_Control_L);
    type("01 70 00 10 04 0f 04");
    EXPECT_TRUE(waitText("lbFrameVerdict", "Запрос; ответ: 11 байт; CRC неверна"));
    EXPECT_NE(text("reFrameFields").find("crc 040F bad, want 030F"), std::string::npos)
        << text("reFrameFields");
}

// F1 shows the help. F6 and F7 leave the System page only once something is chosen; a
// click on a node chooses it and opens its identifier. On the Module page Shift+F5..F9
// show its tabs, each reading its page; F5, F6 and F7 show the three pages from
// anywhere; F8 and F9 do nothing off the Module page. The tabs' clicks do as the keys.
TEST_F(RealInput, FunctionKeysAndTabClicksShowThePagesTheKeyTableNames) {
    start({.knownNetwork = true, .helpFile = true});
    ASSERT_TRUE(shown("tsSysem"));
    // Keys are handled in the order pressed: once the help shows, F6 and F7 were seen.
    press(XK_F6);
    press(XK_F7);
    press(XK_F1);
    activate("TFHelp");
    EXPECT_TRUE(shown("tsSysem")) << "F6 or F7 left the System page with nothing chosen";
    press(XK_Escape);
    ASSERT_TRUE(waitUntil([&] { return !windowShown("TFHelp"); })) << "Esc left the help open";
    activate("TFTerminal");

    size_t before = wire().size();
    clickAt(item("tvSysInf", kTreeNode01));
    ASSERT_TRUE(waitFocus("lbIdMod")) << "the node's click did not open the Module page";
    ASSERT_TRUE(waitAnswered(before, "01 78"));
    EXPECT_EQ(text("sb1").rfind("Адр Modbus: 01 |", 0), 0u) << text("sb1");

    // A person sees the page filled before going on; the test waits for the answers.
    for (const ModuleTabCase& t : {kModuleTabs[1], kModuleTabs[2], kModuleTabs[3], kModuleTabs[4],
                                   kModuleTabs[0]}) {
        before = wire().size();
        press(t.shiftKey, XK_Shift_L);
        EXPECT_TRUE(waitFocus(t.focus)) << "Shift+" << XKeysymToString(t.shiftKey);
        EXPECT_TRUE(waitSent(before, t.first)) << "Shift+" << XKeysymToString(t.shiftKey);
        EXPECT_TRUE(waitAnswered(before, t.last)) << "Shift+" << XKeysymToString(t.shiftKey);
    }
    for (int i : {1, 2, 3, 4, 0}) {
        before = wire().size();
        clickAt(tab("pcMon", i));
        EXPECT_TRUE(waitFocus(kModuleTabs[i].focus)) << "Module tab " << i;
        EXPECT_TRUE(waitSent(before, kModuleTabs[i].first)) << "Module tab " << i;
        EXPECT_TRUE(waitAnswered(before, kModuleTabs[i].last)) << "Module tab " << i;
    }

    const struct {
        KeySym key, modifier;
        const char* page;
    } pageKeys[] = {
        {XK_F7, NoSymbol, "TabSheet13"}, {XK_F6, NoSymbol, "tsModul"},
        {XK_F5, NoSymbol, "tsSysem"},    {XK_F7, XK_Shift_L, "TabSheet13"},
        {XK_F6, XK_Shift_L, "tsModul"},  {XK_F5, NoSymbol, "tsSysem"},
    };
    for (const auto& k : pageKeys) {
        press(k.key, k.modifier);
        EXPECT_TRUE(waitShown(k.page)) << (k.modifier ? "Shift+" : "") << XKeysymToString(k.key);
    }
    press(XK_F8);
    press(XK_F9);
    press(XK_F8, XK_Shift_L);
    press(XK_F9, XK_Shift_L);
    press(XK_F1);
    activate("TFHelp");
    EXPECT_TRUE(shown("tsSysem")) << "F8 or F9 left the System page";
    press(XK_Escape);
    ASSERT_TRUE(waitUntil([&] { return !windowShown("TFHelp"); }));
    activate("TFTerminal");

    // The Terminal page's tab gives the command line the focus and opens the Tools menu.
    const struct {
        int tab;
        const char* page;
        bool tools;
    } pageTabs[] = {{2, "TabSheet13", true}, {0, "tsSysem", false}, {1, "tsModul", false}};
    for (const auto& t : pageTabs) {
        clickAt(tab("pcChan", t.tab));
        EXPECT_TRUE(waitShown(t.page)) << "page tab " << t.tab;
        EXPECT_EQ(enabled("mmTools"), t.tools) << "page tab " << t.tab;
    }
}

// Esc while the scan runs stops it: the panel goes, the line falls silent, and the tree
// keeps what was found; so does "Отмена" after "Обновить". A click on a module reads its
// identifier through its node.
TEST_F(RealInput, EscStopsTheScanAndTheTreeOpensWhatItFound) {
    start({.autoScan = true});
    const auto found = [&] { return text("tvSysInf", kTreeNode03) == "$03"; };
    ASSERT_TRUE(waitUntil(found, 10000)) << "the scan did not find node 03";
    EXPECT_EQ(text("tvSysInf", kTreeNode01), "$01");
    EXPECT_EQ(text("tvSysInf", kTreeModule10), "  $10");
    EXPECT_EQ(text("tvSysInf", kTreeModule22), "  $22");
    const auto stopsAndFallsSilent = [&](const char* how) {
        ASSERT_TRUE(waitHidden("pSkan")) << how << " did not stop the scan";
        EXPECT_TRUE(shown("btn_sysUpDate")) << how;
        // A probe waits 200 ms for its answer at 115200: three times that, and nothing.
        const size_t sent = wire().size();
        EXPECT_FALSE(waitUntil([&] { return wire().size() > sent; }, 600))
            << how << ": the line still carries probes";
        EXPECT_TRUE(found()) << how << ": the tree lost what was found";
    };
    press(XK_Escape);
    stopsAndFallsSilent("Esc");

    click("btn_sysUpDate");
    ASSERT_TRUE(waitShown("pSkan")) << "\"Обновить\" started no scan";
    ASSERT_TRUE(waitUntil(found, 10000));
    click("btnStopSkan");
    stopsAndFallsSilent("\"Отмена\"");

    const size_t before = wire().size();
    clickAt(item("tvSysInf", kTreeModule10));
    ASSERT_TRUE(waitFocus("lbIdMod"));
    EXPECT_TRUE(waitSent(before, "01 7A 10"));
    EXPECT_NE(text("sb1").find("Адр i2c: 10"), std::string::npos) << text("sb1");
}

// Tab goes round each page's controls in their order and comes back where it began;
// Shift+Tab goes round the other way. Every press moves the focus: no box keeps it
// (the address boxes once did).
TEST_F(RealInput, TabGoesRoundEveryControlOfEachPage) {
    start({.knownNetwork = true});
    clickAt(item("tvSysInf", kTreeNode01));
    ASSERT_TRUE(waitFocus("lbIdMod"));
    ASSERT_TRUE(waitAnswered(0, "01 78"));
    // Each page's controls in their Tab order; the page and tab bars and a column's
    // scroll area come between the rounds.
    const struct {
        int page, tab;
        std::vector<std::string> controls;
    } pages[] = {
        {1, 0, {"lbIdMod", "sbUpDateId", "cbAutoApDateId", "cbPapId"}},
        {1, 1, {"sgFL", "cbBottomAdrFL", "edAdrFL", "spFL_Up", "spFL_Down", "sbUpDateFL"}},
        {1, 2, {"sgRAM", "edAdrRAM", "cbRangRAM", "sbUpDateRAM", "cbAutoApDateRAM", "cbPapRAM",
                "pnRAM0", "pnRAM1", "pnRAM2", "pnRAM3", "pnRAM4", "pnRAM5", "pnRAM6", "pnRAM7",
                "pnRAM8", "pnRAM9", "pnRAMA", "pnRAMB", "pnRAMC", "pnRAMD", "pnRAME", "pnRAMF"}},
        {1, 3, {"sgEE", "edAdrEE", "cbRangEE", "sbUpDateSE", "pnEE0", "pnEE1", "pnEE2", "pnEE3"}},
        {1, 4, {"lbSFR", "edAdrSFR", "sbUpDateSFR"}},
        {2, -1, {"cbKomStr"}},
        {0, -1, {"tvSysInf", "btn_sysUpDate"}},
    };
    // A control is known by its name and class: its place moves as a column scrolls.
    const auto focused = [&] {
        std::istringstream in(ask("focus"));
        std::string name, type;
        in >> name >> type;
        return name + " " + type;
    };
    // One round from the focus as it is: each press must move it, and the round ends
    // where it began.
    const auto round = [&](KeySym modifier) {
        std::vector<std::string> seen{focused()};
        for (int i = 0; i < 60; ++i) {
            press(XK_Tab, modifier);
            std::string now;
            if (!waitUntil([&] { return (now = focused()) != seen.back(); }, 2000)) {
                ADD_FAILURE() << "Tab stuck on " << now;
                break;
            }
            if (now == seen.front()) return seen;
            seen.push_back(now);
        }
        ADD_FAILURE() << "Tab never came back to " << seen.front();
        return seen;
    };
    // The page's controls in the order a round met them, from the page's first one.
    const auto met = [](const std::vector<std::string>& round, const std::vector<std::string>& of) {
        std::vector<std::string> names;
        for (const std::string& a : round) {
            const std::string n = a.substr(0, a.find(' '));
            if (std::find(of.begin(), of.end(), n) != of.end()) names.push_back(n);
        }
        const auto first = std::find(names.begin(), names.end(), of.front());
        if (first != names.end()) std::rotate(names.begin(), first, names.end());
        return names;
    };
    for (const auto& p : pages) {
        const std::string where = "page " + std::to_string(p.page) + " tab " + std::to_string(p.tab);
        if (p.tab >= 0) {
            // The tab's read sets the focus when it ends; a Tab pressed during it is undone.
            // The identifier tab shows already, and a click on it reads nothing.
            const size_t before = wire().size();
            clickAt(tab("pcMon", p.tab));
            ASSERT_TRUE(waitFocus(kModuleTabs[p.tab].focus)) << where;
            if (p.tab > 0) {
                ASSERT_TRUE(waitAnswered(before, kModuleTabs[p.tab].last)) << where;
            }
        } else {
            clickAt(tab("pcChan", p.page));
            ASSERT_TRUE(waitShown(p.controls.front())) << where;
        }
        const std::vector<std::string> forward = round(NoSymbol);
        EXPECT_EQ(met(forward, p.controls), p.controls) << where;
        std::vector<std::string> back = round(XK_Shift_L);
        std::reverse(back.begin() + 1, back.end());
        EXPECT_EQ(back, forward) << where << ": Shift+Tab does not retrace Tab";
    }
}

// The menus' dialogs by mouse: "О программе" opens the about box from its title; the
// port dialog leaves only by its buttons, and "Закрыть" keeps the port in use; a
// "Формат команды" entry puts its hint under the command line and the focus in it; the
// configuration's file dialog closes on Esc.
TEST_F(RealInput, MenuEntriesOpenTheirDialogs) {
    start();
    click("N17");
    activate("TFAboutBox");
    press(XK_Escape);
    ASSERT_TRUE(waitUntil([&] { return !windowShown("TFAboutBox"); }));
    activate("TFTerminal");

    chooseMenu("mmSettings", "mmComm1");
    click("mmNomComm");
    activate("TFselectComm");
    ASSERT_TRUE(waitFocus("DB1"));
    // Keys are taken in order: once Tab has moved the focus, Esc had been seen.
    press(XK_Escape);
    press(XK_Tab);
    ASSERT_TRUE(waitUntil([&] { return focus() != "DB1"; }));
    EXPECT_TRUE(windowShown("TFselectComm")) << "Esc closed the port dialog";
    click("Button1");
    ASSERT_TRUE(waitUntil([&] { return !windowShown("TFselectComm"); }));
    activate("TFTerminal");

    chooseMenu("mmFile", "mmSaveConfig");
    activate("saveConfigDialog");
    press(XK_Escape);
    ASSERT_TRUE(waitUntil([&] { return !windowShown("saveConfigDialog"); }));
    activate("TFTerminal");

    clickAt(tab("pcChan", 2));
    ASSERT_TRUE(waitShown("reProt"));
    click("reProt", 3);
    click("N8");
    click("rdRAM");
    EXPECT_TRUE(waitText("pHint", "Чтение RAM: <CID> <70> <hiAdr> <loAdr> <Nbyte>"));
    ASSERT_TRUE(waitFocus("cbKomStr"));
    type("1 78");
    press(XK_Return);
    EXPECT_TRUE(waitSent(0, "01 78")) << "the port did not stay in use";
}

// "Диапазон сканирования..." opens with its first address ready to be typed over: "02"
// Tab "05" Enter gives the range, the dialog shows it when opened again, and a scan asks
// nodes 02 to 05 only, finding 03 of the two the network has.
TEST_F(RealInput, TheScanRangeTypedIntoItsDialogIsTheOneScanned) {
    start();
    chooseMenu("mmSettings", "mmScanRange");
    activate("ScanRangeDialog");
    ASSERT_TRUE(waitFocus("edScanFirst"));
    type("02");
    press(XK_Tab);
    type("05");
    press(XK_Return);
    ASSERT_TRUE(waitUntil([&] { return !windowShown("ScanRangeDialog"); }));
    activate("TFTerminal");
    chooseMenu("mmSettings", "mmScanRange");
    activate("ScanRangeDialog");
    EXPECT_EQ(text("edScanFirst"), "02");
    EXPECT_EQ(text("edScanLast"), "05");
    press(XK_Escape);
    ASSERT_TRUE(waitUntil([&] { return !windowShown("ScanRangeDialog"); }));
    activate("TFTerminal");

    click("btn_sysUpDate");
    ASSERT_TRUE(waitShown("pSkan")) << "\"Обновить\" started no scan";
    ASSERT_TRUE(waitUntil([&] { return !shown("pSkan"); }, 10000)) << "the scan did not end";
    EXPECT_EQ(text("tvSysInf", kTreeNode01), "$03");
    for (const char* node : {"02 70", "03 70", "04 70", "05 70"})
        EXPECT_TRUE(sentAfter(0, node)) << "no probe of node " << node;
    for (const std::string& frame : wire())
        EXPECT_TRUE(frame >= "02" && frame < "06") << "a probe outside 02..05: " << frame;
}

}  // namespace velmora::testing
