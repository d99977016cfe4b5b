// The two variable browsers without their windows: entry lines composed and read back,
// value and watch lines, the list's selection and deletion, and the frames a pass sends
// at both levels against the simulated node 01 (i2c modules 10 and 22).

#include <gtest/gtest.h>

#include "link/Crc16.h"
#include "link/OperationKind.h"
#include "link/ReplyCodes.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"
#include "tools/BrowserEntry.h"
#include "tools/BrowserList.h"
#include "tools/WatchList.h"

using namespace velmora;
using namespace velmora::tools;
using velmora::test::EngineRig;
using velmora::test::hexOf;

TEST(BrowserEntry, ComposedFromTheEditorFields) {
    struct Case {
        EntryFields f;
        const char* entry;
    };
    const Case cases[] = {
        {{"01", "", "4", "123"}, "Mod>01 123/04="},
        {{"1", "2", "", "50"}, "i2c>01 050 02/01="},
        {{"fe", "", "1a", "abc"}, "Mod>FE ABC/1A="},
        {{"7", "", "", "0"}, "Mod>07 000/01="},
        {{"", "", "04", "123"}, ""},      // no node
        {{"01", "", "04", ""}, ""},       // no address
        {{"0G", "", "", "123"}, ""},      // not hexadecimal
        {{"01", "2X", "", "123"}, ""},
        {{"01", "", "4 ", "123"}, ""},
        {{"01", "", "", "1234"}, ""},     // wider than the box
        {{"-1", "", "", "123"}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(composeEntry(c.f), c.entry) << c.f.cid << "|" << c.f.slave << "|" << c.f.count
                                              << "|" << c.f.address;
}

TEST(BrowserEntry, RefusedFieldsNameTheFieldToFix) {
    struct Case {
        EntryFields f;
        const char* message;  // nullptr: accepted
        int focus;
    };
    const Case cases[] = {
        {{"", "", "", ""}, "Не указан адрес на Modbus", 0},
        {{"", "", "", "123"}, "Не указан адрес на Modbus", 0},
        {{"01", "", "", ""}, "Не указан адрес ресурса", 3},
        {{"0X", "", "", "123"}, "Адрес на Modbus - шестнадцатеричное число 01..FF", 0},
        {{"00", "", "", "123"}, "Адрес на Modbus - шестнадцатеричное число 01..FF", 0},
        {{"01", "Z1", "", "123"}, "Адрес на i2c - шестнадцатеричное число 01..FF", 1},
        {{"01", "00", "", "123"}, "Адрес на i2c - шестнадцатеричное число 01..FF", 1},
        {{"01", "", "K", "123"}, "Количество - шестнадцатеричное число 01..FF", 2},
        {{"01", "", "0", "123"}, "Количество - шестнадцатеричное число 01..FF", 2},
        {{"01", "", "", "12Q"}, "Адрес RAM - шестнадцатеричное число 000..FFF", 3},
        // 0xFFF + 2 bytes runs past the last RAM byte; 0xFF0 + 0x10 ends exactly on it.
        {{"01", "", "02", "FFF"}, "Переменная выходит за конец RAM (FFF)", 2},
        {{"01", "", "10", "FF0"}, nullptr, 0},
        {{"01", "", "", "FFF"}, nullptr, 0},
        {{"FF", "FE", "FF", "000"}, nullptr, 0},
    };
    for (const Case& c : cases) {
        auto refusal = refuseEntry(c.f);
        SCOPED_TRACE(c.f.cid + "|" + c.f.slave + "|" + c.f.count + "|" + c.f.address);
        if (!c.message) {
            EXPECT_FALSE(refusal) << refusal->message;
            continue;
        }
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->message, c.message);
        EXPECT_EQ(refusal->focus, c.focus);
    }
}

TEST(BrowserEntry, EntryLinesReadBack) {
    struct Case {
        const char* line;
        bool valid;
        uint8_t cid, slave;
        uint16_t address, count;
    };
    const Case cases[] = {
        {"Mod>01 123/04=", true, 0x01, 0, 0x123, 4},
        {"i2c>01 050 02/01=", true, 0x01, 0x02, 0x050, 1},
        {"i2c>FE FFF 10/FF=", true, 0xFE, 0x10, 0xFFF, 0xFF},
        {"Mod>01 123/04", false, 0, 0, 0, 0},          // no "="
        {"Mod>01 123/04==", false, 0, 0, 0, 0},
        {"Mod>01 123 04/01=", false, 0, 0, 0, 0},     // i2c layout under "Mod>"
        {"i2c>01 050/01=", false, 0, 0, 0, 0},        // node layout under "i2c>"
        {"i2c>01 050 00/01=", false, 0, 0, 0, 0},     // i2c 00 would read the node
        {"Mod>0G 123/04=", false, 0, 0, 0, 0},
        {"                 00 01", false, 0, 0, 0, 0},  // a value line
        {"", false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        auto v = variableOfEntry(c.line);
        ASSERT_EQ(v.has_value(), c.valid) << c.line;
        if (!v) continue;
        EXPECT_EQ(v->owner.cid, c.cid) << c.line;
        EXPECT_EQ(v->owner.slave, c.slave) << c.line;
        EXPECT_EQ(v->address, c.address) << c.line;
        EXPECT_EQ(v->count, c.count) << c.line;
    }
}

TEST(BrowserEntry, ChangingANodeEntryAfterAnI2cEntryKeepsItANodeEntry) {
    auto i2c = fieldsOfEntry("i2c>01 050 02/01=");
    ASSERT_TRUE(i2c);
    EXPECT_EQ(i2c->slave, "02");
    auto node = fieldsOfEntry("Mod>03 1A0/08=");
    ASSERT_TRUE(node);
    EXPECT_EQ(node->slave, "");
    EXPECT_EQ(composeEntry(*node), "Mod>03 1A0/08=");
}

TEST(BrowserEntry, TwentyBytesMakeTwoValueLines) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 0x14; ++i) bytes.push_back(static_cast<uint8_t>(0xA0 + i));
    auto lines = valueLines(bytes);
    ASSERT_EQ(lines.size(), 2u);
    const std::string indent(16, ' ');
    EXPECT_EQ(lines[0], indent + " A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF");
    EXPECT_EQ(lines[1], indent + " B0 B1 B2 B3");
    EXPECT_EQ(lines[0].size(), 16u + 48u);
    EXPECT_TRUE(valueLines({}).empty());
}

TEST(BrowserListEdit, ValueLinesGoWithTheirEntryAndCannotBeSelected) {
    BrowserList list;
    list.append("Mod>01 050/04=");
    list.append("i2c>01 123 10/02=");
    list.append("Mod>03 000/01=");
    // A pass would put value lines under each entry; put them in as it would.
    sim::ModuleNetwork network;
    std::string error;
    ASSERT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
    network.node(3)->module().ram[0] = 0x5A;
    EngineRig rig(network);
    ASSERT_TRUE(list.refresh(rig.engine));
    ASSERT_EQ(list.lines().size(), 6u);

    list.click(1);  // the first entry's value line
    EXPECT_FALSE(list.selected());
    list.click(2);
    EXPECT_EQ(list.selected(), 2u);
    list.removeSelected();
    const std::vector<std::string> left = {"Mod>01 050/04=", std::string(16, ' ') + " 00 00 00 01",
                                           "Mod>03 000/01=", std::string(16, ' ') + " 5A"};
    EXPECT_EQ(list.lines(), left);

    list.click(0);
    list.replaceSelected("Mod>01 050/02=");  // its four old bytes no longer belong to it
    EXPECT_EQ(list.lines()[0], "Mod>01 050/02=");
    EXPECT_EQ(list.lines()[1], "Mod>03 000/01=");
}

namespace {

class BrowserOnTheLine : public ::testing::Test {
protected:
    BrowserOnTheLine() {
        std::string error;
        EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
        sub = network.node(1)->subModule(0x10);
    }
    // Frames as sent, without their CRC (checked apart).
    std::vector<std::string> sent() { return test::framesSent(rig.line); }
    sim::ModuleNetwork network;
    sim::SimModule* sub = nullptr;
    EngineRig rig{network};
};

}  // namespace

TEST_F(BrowserOnTheLine, NodeVariableIsOneRdRamFrame) {
    auto r = readRamVariable(rig.engine, {access::moduleAt(0x01, 0), 0x050, 4});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.bytes, (std::vector<uint8_t>{0, 0, 0, 1}));  // the built-in node's RAM 050
    EXPECT_EQ(sent(), (std::vector<std::string>{"01 70 00 50 04"}));
}

TEST_F(BrowserOnTheLine, NodeVariableLongerThanAFrameIsReadInPieces) {
    // 255 bytes would need a 262-byte reply; two reads stay within 256.
    for (int i = 0; i < 0xFF; ++i) network.node(1)->module().ram[0x100 + i] = static_cast<uint8_t>(i);
    auto r = readRamVariable(rig.engine, {access::moduleAt(0x01, 0), 0x100, 0xFF});
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.bytes.size(), 0xFFu);
    EXPECT_EQ(r.bytes[0x7F], 0x7F);
    EXPECT_EQ(r.bytes[0x80], 0x80);
    EXPECT_EQ(r.bytes[0xFE], 0xFE);
    EXPECT_EQ(sent(), (std::vector<std::string>{"01 70 01 00 80", "01 70 01 80 7F"}));
}

TEST_F(BrowserOnTheLine, SubModuleVariablesThroughTheirWindowPages) {
    struct Case {
        uint16_t address;
        uint16_t count;
        std::vector<std::string> middle;  // between the REG_PAGE read and its restore
    };
    // REG_PAGE counts 128-byte pages; 0x1A3 is page 3, 0x1A3 - 0x180 = 0x23 past the
    // window start 0x80; 0xF85 is page 31; 0x050 is a direct register. 0x0FE..0x101
    // spans pages 1 and 2. 0x04F..0x052 covers REG_PAGE itself, which shows the module's
    // own page, not the one the read set.
    const Case cases[] = {
        {0x1A3, 2, {"01 7B 10 51 01 03", "01 7A 10 A3 02"}},
        {0x050, 1, {"01 7B 10 51 01 00", "01 7A 10 50 01"}},
        {0x04F, 4, {"01 7B 10 51 01 00", "01 7A 10 4F 04"}},
        {0xF85, 3, {"01 7B 10 51 01 1F", "01 7A 10 85 03"}},
        {0x07E, 4, {"01 7B 10 51 01 00", "01 7A 10 7E 02", "01 7B 10 51 01 01",
                    "01 7A 10 80 02"}},
        {0x0FE, 4, {"01 7B 10 51 01 01", "01 7A 10 FE 02", "01 7B 10 51 01 02",
                    "01 7A 10 80 02"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        for (int i = 0; i < 0x1000; ++i) sub->ram[i] = static_cast<uint8_t>(i * 7);
        sub->ram[0x51] = 0x05;  // the module's own window page, to be found again after
        test::EngineRig fresh(network);
        auto r = readRamVariable(fresh.engine, {access::moduleAt(0x01, 0x10), c.address, c.count});
        ASSERT_TRUE(r.ok());
        std::vector<uint8_t> expected;
        for (int i = 0; i < c.count; ++i)
            expected.push_back(c.address + i == 0x51 ? 0x05 : static_cast<uint8_t>((c.address + i) * 7));
        EXPECT_EQ(r.bytes, expected);
        std::vector<std::string> frames = {"01 7A 10 51 01"};
        frames.insert(frames.end(), c.middle.begin(), c.middle.end());
        frames.push_back("01 7B 10 51 01 05");
        std::vector<std::string> got;
        for (const auto& f : fresh.line.sent()) got.push_back(hexOf({f.begin(), f.end() - 2}));
        EXPECT_EQ(got, frames);
        EXPECT_EQ(sub->ram[0x51], 0x05);
    }
}

TEST_F(BrowserOnTheLine, FailedWindowReadStillPutsThePageBack) {
    sub->ram[0x51] = 0x09;
    rig.line.delivery().silent = [](unsigned request) { return request == 3; };  // the data
    auto r = readRamVariable(rig.engine, {access::moduleAt(0x01, 0x10), 0x1A3, 2});
    EXPECT_EQ(r.fault, VariableFault::Read);
    EXPECT_TRUE(r.bytes.empty());
    auto frames = sent();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[3], "01 7B 10 51 01 09");
    EXPECT_EQ(sub->ram[0x51], 0x09);
}

TEST_F(BrowserOnTheLine, UnreadablePageRegisterLeavesTheWindowAlone) {
    rig.line.delivery().silent = [](unsigned request) { return request == 1; };
    auto r = readRamVariable(rig.engine, {access::moduleAt(0x01, 0x10), 0x1A3, 2});
    EXPECT_EQ(r.fault, VariableFault::Page);
    EXPECT_EQ(sent(), (std::vector<std::string>{"01 7A 10 51 01"}));
}

TEST_F(BrowserOnTheLine, VariablePastTheEndOfRamSendsNothing) {
    EXPECT_EQ(readRamVariable(rig.engine, {access::moduleAt(0x01, 0), 0xFFE, 4}).fault,
              VariableFault::Range);
    EXPECT_EQ(readRamVariable(rig.engine, {access::moduleAt(0x01, 0x10), 0x050, 0}).fault,
              VariableFault::Range);
    EXPECT_TRUE(rig.line.sent().empty());
}

TEST_F(BrowserOnTheLine, NothingElseReachesTheLineDuringAPass) {
    // A refresh tick of another view arriving mid-read is refused, not interleaved.
    uint16_t intruder = 0;
    rig.line.at(rig.line.clock().now + 1, [&] {
        intruder = rig.engine.transact({0x03, link::rdRAM, 0, 1, 0, 1}, {}, {}).code;
    });
    BrowserList list;
    list.append("i2c>01 1A3 10/02=");
    ASSERT_TRUE(list.refresh(rig.engine));
    EXPECT_EQ(intruder, link::kResultLinkBusy);
    EXPECT_EQ(sent().size(), 4u);
}

TEST_F(BrowserOnTheLine, FailedPassLeavesTheListAsItWas) {
    BrowserList list;
    list.append("Mod>01 050/04=");
    list.append("Mod>05 050/01=");  // no node 05 on the line
    list.append("Mod>03 000/01=");
    const auto before = list.lines();
    EXPECT_FALSE(list.refresh(rig.engine));
    EXPECT_EQ(list.lines(), before);
    // The pass stopped at the failing entry: node 03 was never asked.
    EXPECT_EQ(sent(), (std::vector<std::string>{"01 70 00 50 04", "05 70 00 50 01"}));
}

TEST_F(BrowserOnTheLine, SelectionStaysOnItsEntryAcrossPasses) {
    BrowserList list;
    list.append("Mod>01 050/04=");
    list.append("Mod>03 000/01=");
    list.click(1);
    ASSERT_TRUE(list.refresh(rig.engine));
    // Line 1 is now the first entry's value line; the selection moved with its entry.
    EXPECT_EQ(list.selected(), 2u);
    EXPECT_EQ(list.lines()[2], "Mod>03 000/01=");
}

TEST(WatchListEdit, TwentySixthAddAddsNothing) {
    WatchList list;
    for (int i = 0; i < 25; ++i) EXPECT_EQ(list.add(2, 0, "050", 1), WatchAdd::Added);
    EXPECT_EQ(list.add(2, 0, "050", 1), WatchAdd::Full);
    EXPECT_EQ(list.size(), 25u);
}

TEST(WatchListEdit, RefusedAdditions) {
    struct Case {
        const char* address;
        uint16_t count;
        WatchAdd outcome;
    };
    const Case cases[] = {
        {"", 1, WatchAdd::NoAddress},     {"1G", 1, WatchAdd::NoAddress},
        {"1000", 1, WatchAdd::NoAddress}, {"FFF", 1, WatchAdd::Added},
        {"FF9", 8, WatchAdd::OutsideRam}, {"FF8", 8, WatchAdd::Added},
        {"000", 0, WatchAdd::OutsideRam}, {"000", 9, WatchAdd::OutsideRam},
    };
    for (const Case& c : cases) {
        WatchList list;
        EXPECT_EQ(list.add(2, 0, c.address, c.count), c.outcome) << c.address << " " << c.count;
    }
}

TEST(WatchListEdit, DeletingKeepsTheOthersInOrder) {
    auto fill = [] {
        WatchList list;
        for (const char* a : {"00A", "00B", "00C", "00D"}) list.add(2, 0, a, 1);
        return list;
    };
    auto addresses = [](const WatchList& l) {
        std::vector<uint16_t> out;
        for (const auto& e : l.entries()) out.push_back(e.address);
        return out;
    };
    WatchList b = fill();
    b.remove(1);
    EXPECT_EQ(addresses(b), (std::vector<uint16_t>{0xA, 0xC, 0xD}));
    WatchList a = fill();
    a.remove(0);
    EXPECT_EQ(addresses(a), (std::vector<uint16_t>{0xB, 0xC, 0xD}));
    a.remove(7);  // no such line
    EXPECT_EQ(a.size(), 3u);
}

TEST(WatchListText, ColumnsOfTheEntryAndWatchLines) {
    // 5 blanks, node, 10 blanks, i2c (or 2 blanks), 8 blanks, address, 7 blanks, count.
    EXPECT_EQ(watchEntryText({access::moduleAt(0x04, 0x06), 0x1A3, 2}),
              "     04          06        1A3       2");
    EXPECT_EQ(watchEntryText({access::moduleAt(0xFE, 0x00), 0x005, 8}),
              "     FE                    005       8");
    EXPECT_EQ(watchLine({access::moduleAt(0x04, 0x06), 0x1A3, 2}, {0xAB, 0x0C}),
              "     04          06        1A3       2      AB  0C");
    EXPECT_EQ(watchLine({access::moduleAt(0x04, 0), 0x1A3, 2}, {}),
              "     04                    1A3       2    ");
}

TEST_F(BrowserOnTheLine, WatchPassReportsTheLastFailure) {
    WatchList list;
    list.add(0x01, 0x00, "050", 4);
    list.add(0x05, 0x00, "050", 1);  // no node 05
    list.add(0x01, 0x10, "1A3", 2);
    list.add(0x01, 0x30, "1A3", 2);  // no module 30 behind node 01
    list.add(0x03, 0x00, "000", 1);
    auto pass = list.read(rig.engine);
    ASSERT_EQ(pass.lines.size(), 5u);
    EXPECT_EQ(pass.lines[0], "     01                    050       4      00  00  00  01");
    EXPECT_EQ(pass.lines[1], "     05                    050       1    ");
    EXPECT_EQ(pass.error, "Ошибка установки страницы");  // module 30's REG_PAGE read
    EXPECT_EQ(pass.values[0], 16777216u);  // 00 00 00 01, low byte first
    EXPECT_FALSE(pass.values[1].has_value());

    // The data read of the window (register A3) goes unanswered.
    rig.line.delivery().loseReplyTo = [](const std::vector<uint8_t>& f) {
        return f.size() > 3 && f[1] == 0x7A && f[3] == 0xA3;
    };
    WatchList one;
    one.add(0x01, 0x10, "1A3", 2);
    EXPECT_EQ(one.read(rig.engine).error, "ошибка обмена CID=01  Slave=10");
    WatchList node;
    node.add(0x05, 0x00, "050", 1);
    EXPECT_EQ(node.read(rig.engine).error, "ошибка обмена CID=05");
    WatchList fine;
    fine.add(0x03, 0x00, "000", 1);
    EXPECT_EQ(fine.read(rig.engine).error, "");
}
