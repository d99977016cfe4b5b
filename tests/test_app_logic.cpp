// The application shell's logic: the settings file, the page rules and the speeds.

#include <gtest/gtest.h>

#include <tuple>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/AppSettings.h"
#include "app/IniFile.h"
#include "app/PageRules.h"
#include "app/SpeedChoice.h"

using namespace velmora::app;

TEST(IniFile, ReadsSectionsAndKeysWithoutRegardToCase) {
    IniFile ini = IniFile::parse("[Form]\r\nWidth=640\r\n; note\r\n[system]\r\nautoskan = 0\r\n");
    EXPECT_EQ(ini.value("form", "WIDTH"), "640");
    EXPECT_EQ(ini.integer("System", "AutoSkan"), 0);
    EXPECT_EQ(ini.value("System", "Prot"), std::nullopt);
    EXPECT_EQ(ini.integer("Form", "Height"), std::nullopt);
}

TEST(IniFile, BadNumbersAreAbsent) {
    IniFile ini = IniFile::parse("[Form]\nWidth=wide\nHeight=\nLeft=-20\nTop=12x\n");
    EXPECT_EQ(ini.integer("Form", "Width"), std::nullopt);
    EXPECT_EQ(ini.integer("Form", "Height"), std::nullopt);
    EXPECT_EQ(ini.integer("Form", "Left"), -20);
    EXPECT_EQ(ini.integer("Form", "Top"), std::nullopt);
}

TEST(IniFile, SetChangesInPlaceKeepsTheRestAndAddsSections) {
    IniFile ini = IniFile::parse("# mine\n[Comm]\nNom=3\nOther=x\n\n[Form]\nWidth=1\n");
    ini.set("comm", "nom", "4");
    ini.set("Form", "Height", "2");
    ini.set("System", "Prot", "1");
    EXPECT_EQ(ini.text(),
              "# mine\r\n[Comm]\r\nNom=4\r\nOther=x\r\n\r\n[Form]\r\nWidth=1\r\nHeight=2\r\n\r\n"
              "[System]\r\nProt=1\r\n");
}

TEST(AppSettings, EmptyFileGivesTheDefaults) {
    AppSettings s = readSettings(IniFile::parse(""));
    EXPECT_EQ(s.width, 500);
    EXPECT_EQ(s.height, 570);
    EXPECT_EQ(s.left, 100);
    EXPECT_EQ(s.top, 100);
    EXPECT_EQ(s.startAdrFlash, 0x2000u);
    EXPECT_TRUE(s.autoScan);
    EXPECT_FALSE(s.protocol);
    EXPECT_EQ(s.systemSpeed, 115200u);
    EXPECT_EQ(s.portNumber, 2);
    EXPECT_EQ(s.hexDir, "");
}

TEST(AppSettings, WhatIsWrittenIsWhatIsRead) {
    AppSettings s;
    s.width = 800;
    s.height = 600;
    s.left = 7;
    s.top = 9;
    s.startAdrFlash = 0x4000;
    s.autoScan = false;
    s.protocol = true;
    s.systemSpeed = 19200;
    s.hexDir = "/home/eng/hex files";
    s.portNumber = 5;
    s.portPath = "/dev/ttyUSB0";
    s.hardwareFlow = false;
    IniFile ini;
    writeSettings(ini, s);
    AppSettings back = readSettings(IniFile::parse(ini.text()));
    EXPECT_EQ(back.width, 800);
    EXPECT_EQ(back.height, 600);
    EXPECT_EQ(back.left, 7);
    EXPECT_EQ(back.top, 9);
    EXPECT_EQ(back.startAdrFlash, 0x4000u);
    EXPECT_FALSE(back.autoScan);
    EXPECT_TRUE(back.protocol);
    EXPECT_EQ(back.systemSpeed, 19200u);
    EXPECT_EQ(back.hexDir, "/home/eng/hex files");
    EXPECT_EQ(back.portNumber, 5);
    EXPECT_EQ(back.portPath, "/dev/ttyUSB0");
    EXPECT_FALSE(back.hardwareFlow);
}

// Files from before the setting existed keep the handshake on, as those versions had it.
TEST(AppSettings, FlowSettingAsWrittenByHand) {
    const std::pair<const char*, bool> cases[] = {
        {"", true},
        {"[Comm]\nNom=3", true},
        {"[Comm]\nFlow=0", false},
        {"[Comm]\nFlow=1", true},
        {"[Comm]\nFlow = 0 ", false},
        {"[Comm]\nFlow=", true},
        {"[Comm]\nFlow=no", true},
        {"[System]\nFlow=0", true},
    };
    for (auto& [text, on] : cases) EXPECT_EQ(readSettings(IniFile::parse(text)).hardwareFlow, on) << text;
}

TEST(AppSettings, ClosingWritesKeysInTheEstablishedOrder) {
    IniFile ini;
    writeSettings(ini, AppSettings{});
    EXPECT_EQ(ini.text(),
              "[Comm]\r\nNom=2\r\nPath=\r\nFlow=1\r\n\r\n[Form]\r\nWidth=500\r\nHeight=570\r\nTop=100\r\n"
              "Left=100\r\n\r\n[System]\r\nHexDir=\r\nAutoSkan=1\r\nProt=0\r\n"
              "sysSpeedModbus=115200\r\nstartAdrFlash=8192\r\nProtTime=0\r\nScanFirst=1\r\n"
              "ScanLast=255\r\nSymbolFile=\r\n");
}

TEST(AppSettings, OlderSpellingsAreUnderstood) {
    const std::pair<const char*, uint32_t> speeds[] = {
        {"[System]\nsysSpeed=0", 9600},
        {"[System]\nsysSpeed=1", 19200},
        {"[System]\nsysSpeed=2", 57600},
        {"[System]\nsysSpeed=3", 115200},
        // an unreadable index sets the speed the menu shows
        {"[System]\nsysSpeed=7", 115200},
        {"[System]\nsysSpeed=1\nsysSpeedModbus=2400", 2400},
    };
    for (auto& [text, bps] : speeds) EXPECT_EQ(readSettings(IniFile::parse(text)).systemSpeed, bps);
    EXPECT_EQ(readSettings(IniFile::parse("[File]\nHexDir=/old")).hexDir, "/old");
    EXPECT_EQ(readSettings(IniFile::parse("[File]\nHexDir=/old\n[System]\nHexDir=/new")).hexDir,
              "/new");
}

TEST(AppSettings, OutOfRangeValuesFallBack) {
    AppSettings s = readSettings(IniFile::parse(
        "[System]\nstartAdrFlash=70000\nAutoSkan=2\n[Comm]\nNom=0\n[Form]\nWidth=99999999"));
    EXPECT_EQ(s.startAdrFlash, 0x2000u);
    EXPECT_TRUE(s.autoScan);  // any non-zero number is true
    EXPECT_EQ(s.portNumber, 2);
    EXPECT_EQ(s.width, 500);
    // The scan range: a range the line has, or the whole line.
    const std::tuple<const char*, int, int> ranges[] = {
        {"ScanFirst=1\nScanLast=3", 1, 3},     {"ScanFirst=16\nScanLast=16", 16, 16},
        {"ScanFirst=0\nScanLast=3", 1, 255},   {"ScanFirst=5\nScanLast=256", 1, 255},
        {"ScanFirst=9\nScanLast=8", 1, 255},   {"ScanFirst=x\nScanLast=3", 1, 3},
        {"ScanLast=3", 1, 3},                  {"", 1, 255},
    };
    for (auto [text, first, last] : ranges) {
        const AppSettings r = readSettings(IniFile::parse(std::string("[System]\n") + text));
        EXPECT_EQ(r.scanFirst, first) << text;
        EXPECT_EQ(r.scanLast, last) << text;
    }
}

TEST(IniFileOnDisk, SaveReplacesTheFileWhole) {
    std::string dir = ::testing::TempDir() + "velmora-ini-" + std::to_string(::getpid());
    std::filesystem::create_directories(dir);
    std::string path = dir + "/velmora.ini";
    IniFile ini;
    std::string error;
    ASSERT_TRUE(loadIniFile(path, ini, error));  // missing: empty
    ini.set("Comm", "Nom", "3");
    ASSERT_TRUE(saveIniFileAtomically(path, ini, error)) << error;
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    IniFile back;
    ASSERT_TRUE(loadIniFile(path, back, error));
    EXPECT_EQ(back.integer("Comm", "Nom"), 3);
    // an unwritable place fails with a reason and leaves nothing behind
    EXPECT_FALSE(saveIniFileAtomically(dir + "/no/such/dir/v.ini", ini, error));
    EXPECT_NE(error.find("cannot write"), std::string::npos);
    std::filesystem::remove_all(dir);
}

TEST(SpeedChoice, SixSpeedsElse115200) {
    for (uint32_t bps : kSystemSpeeds) EXPECT_EQ(normalizedSystemSpeed(bps), bps);
    for (uint32_t bps : {0u, 300u, 4800u, 38400u, 230400u})
        EXPECT_EQ(normalizedSystemSpeed(bps), 115200u);
}

TEST(PageRules, RefusalsForClicks) {
    PageFlags f;
    EXPECT_TRUE(mainPageChangeAllowed(f));
    EXPECT_TRUE(modulePageChangeAllowed(f));
    f.systemIdle = false;
    EXPECT_FALSE(mainPageChangeAllowed(f));
    EXPECT_TRUE(modulePageChangeAllowed(f));
    f = {};
    f.autoRam = true;
    EXPECT_FALSE(mainPageChangeAllowed(f));
    EXPECT_FALSE(modulePageChangeAllowed(f));
    f = {};
    f.autoId = true;
    EXPECT_FALSE(mainPageChangeAllowed(f));
    EXPECT_FALSE(modulePageChangeAllowed(f));
}

TEST(PageRules, MainPageChange) {
    auto o = mainPageChange(kModulePage, kTerminalPage, kFlashTab, 0);
    EXPECT_EQ(o.shownPage, kTerminalPage);  // nothing selected: back to where it was
    EXPECT_TRUE(o.toolsMenuEnabled);
    EXPECT_TRUE(o.focusCommandLine);
    EXPECT_FALSE(o.hexItemsEnabled);
    o = mainPageChange(kModulePage, kSystemPage, kFlashTab, 1);
    EXPECT_EQ(o.shownPage, kModulePage);
    EXPECT_TRUE(o.runModulePageChange);
    EXPECT_TRUE(o.hexItemsEnabled);
    EXPECT_FALSE(o.toolsMenuEnabled);
    o = mainPageChange(kModulePage, kSystemPage, kRamTab, 2);
    EXPECT_FALSE(o.hexItemsEnabled);
    o = mainPageChange(kSystemPage, kModulePage, kFlashTab, 1);
    EXPECT_FALSE(o.toolsMenuEnabled);
    EXPECT_FALSE(o.hexItemsEnabled);
    EXPECT_FALSE(o.runModulePageChange);
}

TEST(PageRules, ModuleTabs) {
    EXPECT_EQ(modulePageChange(kIdentTab).clearFlash, ClearFlashItem::Hide);
    EXPECT_TRUE(modulePageChange(kFlashTab).hexItemsEnabled);
    EXPECT_EQ(modulePageChange(kFlashTab).clearFlash, ClearFlashItem::Show);
    EXPECT_EQ(modulePageChange(kEepromTab).clearFlash, ClearFlashItem::Hide);
    EXPECT_EQ(modulePageChange(kSfrTab).clearFlash, ClearFlashItem::Keep);
    EXPECT_FALSE(modulePageChange(kSfrTab).hexItemsEnabled);
}

TEST(PageRules, KeyTable) {
    PageFlags none;
    PageFlags node;
    node.selectionLevel = 1;
    struct Case {
        FKey key;
        bool shift;
        int page;
        PageFlags flags;
        KeyAction action;
        int tab;
    };
    const Case cases[] = {
        {FKey::F5, true, kModulePage, node, KeyAction::ModuleTab, kIdentTab},
        {FKey::F6, true, kModulePage, node, KeyAction::ModuleTab, kFlashTab},
        {FKey::F7, true, kModulePage, node, KeyAction::ModuleTab, kRamTab},
        {FKey::F8, true, kModulePage, node, KeyAction::ModuleTab, kEepromTab},
        {FKey::F9, true, kModulePage, node, KeyAction::ModuleTab, kSfrTab},
        {FKey::F5, false, kModulePage, node, KeyAction::SystemPageChange, 0},
        {FKey::F5, true, kTerminalPage, none, KeyAction::SystemPageChange, 0},
        {FKey::F6, false, kSystemPage, none, KeyAction::None, 0},
        {FKey::F6, false, kSystemPage, node, KeyAction::ShowModulePage, 0},
        {FKey::F6, false, kTerminalPage, none, KeyAction::ShowModulePage, 0},
        {FKey::F7, false, kSystemPage, none, KeyAction::None, 0},
        {FKey::F7, false, kModulePage, none, KeyAction::ShowTerminalPage, 0},
        {FKey::F9, true, kSystemPage, node, KeyAction::None, 0},
        {FKey::F1, false, kSystemPage, none, KeyAction::ShowHelp, 0},
        {FKey::Other, false, kModulePage, node, KeyAction::PassToModulePage, 0},
        {FKey::Other, false, kSystemPage, node, KeyAction::None, 0},
    };
    for (const Case& c : cases) {
        KeyOutcome o = keyAction(c.key, c.shift, c.page, c.flags);
        EXPECT_EQ(o.action, c.action) << static_cast<int>(c.key) << " page " << c.page;
        if (c.action == KeyAction::ModuleTab) {
            EXPECT_EQ(o.tab, c.tab);
        }
    }
    PageFlags scanning;
    scanning.scanPanelVisible = true;
    EXPECT_EQ(keyAction(FKey::Escape, false, kSystemPage, scanning).action, KeyAction::StopScan);
    EXPECT_EQ(keyAction(FKey::Escape, false, kSystemPage, none).action, KeyAction::None);
}
