// The memory views' device sequences against the simulated node 01 and its i2c module
// 10: the frames each read and write sends at both levels, what they leave in the
// module's memories, and the window page register REG_PAGE put back afterwards.

#include <gtest/gtest.h>

#include "cli/DumpCommand.h"
#include "cli/PokeCommand.h"
#include "link/Crc16.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"
#include "views/MemoryReads.h"
#include "views/MemoryWrites.h"

using namespace velmora;
using access::ModuleAddress;
using velmora::test::EngineRig;
using velmora::test::hexOf;
using views::WriteOutcome;

namespace {

constexpr ModuleAddress kNode{0x01, 0x00, 1};
constexpr ModuleAddress kSub{0x01, 0x10, 2};
constexpr ModuleAddress kNothing{0x00, 0x00, 0};

class MemoryViews : public ::testing::Test {
protected:
    MemoryViews() {
        std::string error;
        EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
        sub().ram[0x51] = 0x05;  // the sub-module's own window page, to be kept
    }
    sim::SimModule& node() { return network.node(0x01)->module(); }
    sim::SimModule& sub() { return *network.node(0x01)->subModule(0x10); }
    // Every frame sent, without its CRC (each CRC checked).
    std::vector<std::string> frames() { return test::framesSent(rig.line); }
    // Requests first..last (1-based, attempts counted apart) get no reply.
    void silence(unsigned first, unsigned last) {
        rig.line.delivery().silent = [=](unsigned n) { return n >= first && n <= last; };
    }

    sim::ModuleNetwork network;
    EngineRig rig{network};
};

using Frames = std::vector<std::string>;

}  // namespace

// --- RAM ------------------------------------------------------------------

TEST_F(MemoryViews, RamPageOfANodeIsTwoHalves) {
    for (int i = 0; i < 256; ++i) node().ram[0x300 + i] = static_cast<uint8_t>(i ^ 0x5A);
    views::PageRead page = views::readRAMPage(rig.engine, kNode, 0x300);
    ASSERT_TRUE(page.complete());
    for (int i = 0; i < 256; ++i) EXPECT_EQ(page.bytes[i], i ^ 0x5A) << i;
    // rdRAM 0x70: address high, low, count 0x80.
    EXPECT_EQ(frames(), (Frames{"01 70 03 00 80", "01 70 03 80 80"}));
}

TEST_F(MemoryViews, RamPagesOfASubModuleThroughTheWindow) {
    struct Case {
        uint16_t base;
        Frames frames;
    };
    // Page 0: registers 0x00.. hold RAM 0x00..0x7F with page 0; page 1 shows 0x80..0xFF.
    // Page 0xF00: pages 30 (0x1E) and 31 (0x1F) at register 0x80. REG_PAGE 05 goes back.
    const Case cases[] = {
        {0x000,
         {"01 7A 10 51 01", "01 7B 10 51 01 00", "01 7A 10 00 80", "01 7B 10 51 01 01",
          "01 7A 10 80 80", "01 7B 10 51 01 05"}},
        {0xF00,
         {"01 7A 10 51 01", "01 7B 10 51 01 1E", "01 7A 10 80 80", "01 7B 10 51 01 1F",
          "01 7A 10 80 80", "01 7B 10 51 01 05"}},
    };
    for (const Case& c : cases) {
        EngineRig fresh{network};
        for (int i = 0; i < 256; ++i) sub().ram[c.base + i] = static_cast<uint8_t>(0xFF - i);
        sub().ram[0x51] = 0x05;
        views::PageRead page = views::readRAMPage(fresh.engine, kSub, c.base);
        ASSERT_TRUE(page.complete()) << c.base;
        for (int i = 0; i < 256; ++i) {
            // RAM 0x051 is REG_PAGE itself, shown as the module keeps it, not as the read
            // moved it.
            EXPECT_EQ(page.bytes[i], c.base == 0 && i == 0x51 ? 0x05 : 0xFF - i) << c.base << " " << i;
        }
        std::vector<std::string> sent;
        for (const auto& f : fresh.line.sent()) sent.push_back(hexOf({f.begin(), f.end() - 2}));
        EXPECT_EQ(sent, c.frames) << c.base;
        EXPECT_EQ(sub().ram[0x51], 0x05);
    }
}

TEST_F(MemoryViews, RamSecondHalfLostKeepsTheFirstAndPutsThePageBack) {
    // Requests: 1 get page, 2 set page 6, 3 first half, 4 set page 7, 5..7 the second
    // half's three attempts, lost.
    silence(5, 7);
    views::PageRead page = views::readRAMPage(rig.engine, kSub, 0x300);
    EXPECT_TRUE(page.firstHalf);
    EXPECT_FALSE(page.secondHalf);
    EXPECT_EQ(frames().size(), 8u);
    EXPECT_EQ(frames().back(), "01 7B 10 51 01 05");
    EXPECT_EQ(sub().ram[0x51], 0x05);
}

TEST_F(MemoryViews, RamCellWritesAtBothLevels) {
    struct Case {
        uint16_t address;
        uint8_t page, reg;
    };
    // Known answers: page = address / 128 (0 below 0x80), register = 0x80 + address mod 128.
    const Case cases[] = {{0x123, 2, 0xA3}, {0x1A3, 3, 0xA3}, {0x050, 0, 0x50}, {0xFFF, 31, 0xFF}};
    for (const Case& c : cases) {
        EngineRig fresh{network};
        ASSERT_EQ(views::writeRAMCell(fresh.engine, kSub, c.address, 0x77), WriteOutcome::Written);
        std::vector<std::string> sent;
        for (const auto& f : fresh.line.sent()) sent.push_back(hexOf({f.begin(), f.end() - 2}));
        const std::string page = velmora::test::hexOf({c.page});
        const std::string reg = velmora::test::hexOf({c.reg});
        EXPECT_EQ(sent, (Frames{"01 7A 10 51 01", "01 7B 10 51 01 " + page,
                                "01 7B 10 " + reg + " 01 77", "01 7B 10 51 01 05"}))
            << c.address;
        EXPECT_EQ(sub().ram[c.address], 0x77) << c.address;
        EXPECT_EQ(sub().ram[0x51], 0x05);
        sub().ram[c.address] = 0;
    }
    EXPECT_EQ(views::writeRAMCell(rig.engine, kNode, 0x2C4, 0x9E), WriteOutcome::Written);
    EXPECT_EQ(node().ram[0x2C4], 0x9E);
    EXPECT_EQ(frames(), (Frames{"01 71 02 C4 01 9E"}));
}

TEST_F(MemoryViews, NothingIsSentWithNoModuleSelected) {
    EXPECT_FALSE(views::readRAMPage(rig.engine, kNothing, 0).sent);
    EXPECT_FALSE(views::readFlashPage(rig.engine, kNothing, 0x2000).sent);
    EXPECT_FALSE(views::readEEPage(rig.engine, kNothing, 0).sent);
    EXPECT_FALSE(views::readSFRBlock(rig.engine, kNothing));
    EXPECT_FALSE(views::readVarBytes(rig.engine, kNothing, 0));
    EXPECT_EQ(views::writeRAMCell(rig.engine, kNothing, 0, 1), WriteOutcome::NothingSent);
    EXPECT_EQ(views::writeEECell(rig.engine, kNothing, 0, 1), WriteOutcome::NothingSent);
    EXPECT_EQ(views::writeSFR(rig.engine, kNothing, 0xF8A, 1), WriteOutcome::NothingSent);
    EXPECT_TRUE(rig.line.sent().empty());
}

TEST_F(MemoryViews, RegPageItselfAtASubModuleThroughDumpPokeAndTheInspector) {
    // RAM 0x51 of an i2c module is its REG_PAGE, which every window access saves, moves
    // and puts back: what the user reads there is the saved value, and a write there is
    // what is put back. Judged against the simulated module's RAM.
    struct Case {
        const char* what;
        std::optional<uint8_t> poke;  // `poke ram 1 51 HH --slave 10` first
        uint8_t holds;                // REG_PAGE afterwards
    };
    const Case cases[] = {
        {"dump with REG_PAGE 03", std::nullopt, 0x03},
        {"poke 07, then dump", 0x07, 0x07},
        {"poke 00, then dump", 0x00, 0x00},
        {"poke 1F, then dump", 0x1F, 0x1F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int i = 0; i < 256; ++i) sub().ram[i] = static_cast<uint8_t>(i + 0x20);
        sub().ram[0x51] = 0x03;
        EngineRig fresh{network};
        std::string error;
        if (c.poke) {
            auto poke = cli::parsePokeCommand({"poke", "ram", "1", "51", hexOf({*c.poke})}, 0x10, error);
            ASSERT_TRUE(poke) << error;
            EXPECT_EQ(cli::runPokeCommand(*poke, fresh.engine, error), 0) << error;
        }
        EXPECT_EQ(sub().ram[0x51], c.holds);
        auto dump = cli::parseDumpCommand({"dump", "ram", "1", "0"}, 0x10, std::nullopt, error);
        ASSERT_TRUE(dump) << error;
        ::testing::internal::CaptureStdout();
        const int status = cli::runDumpCommand(*dump, fresh.engine, error);
        const std::string out = ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(status, 0) << error;
        EXPECT_EQ(out, cli::dumpLines(0, sub().ram.data()));
        // The inspector's four bytes 0x4E..0x51 end with it too.
        auto bytes = views::readVarBytes(fresh.engine, kSub, 0x4E);
        ASSERT_TRUE(bytes);
        EXPECT_EQ((*bytes)[3], c.holds);
        EXPECT_EQ(sub().ram[0x51], c.holds);
    }
}

// --- value inspector bytes ---------------------------------------------------

TEST_F(MemoryViews, InspectorReadsTheSubModulesRamAcrossTheWindowsEnd) {
    // Four bytes at 0x17E: 0x17E..0x17F on page 2, 0x180..0x181 on page 3.
    for (int i = 0; i < 4; ++i) sub().ram[0x17E + i] = static_cast<uint8_t>(0xA0 + i);
    node().ram[0x17E] = 0x11;  // the node's own RAM must not be what is shown
    auto bytes = views::readVarBytes(rig.engine, kSub, 0x17E);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(hexOf({bytes->begin(), bytes->end()}), "A0 A1 A2 A3");
    EXPECT_EQ(frames(), (Frames{"01 7A 10 51 01", "01 7B 10 51 01 02", "01 7A 10 FE 02",
                                "01 7B 10 51 01 03", "01 7A 10 80 02", "01 7B 10 51 01 05"}));
}

TEST_F(MemoryViews, InspectorBytesTable) {
    struct Case {
        ModuleAddress target;
        uint16_t address;
        const char* expected;
    };
    node().ram[0x040] = 0x01;
    node().ram[0x041] = 0x02;
    node().ram[0x042] = 0x03;
    node().ram[0x043] = 0x04;
    for (int i = 0; i < 8; ++i) sub().ram[0x07C + i] = static_cast<uint8_t>(0x10 + i);
    sub().ram[0xFFE] = 0xEE;
    sub().ram[0xFFF] = 0xEF;
    const Case cases[] = {
        {kNode, 0x040, "01 02 03 04"},
        // Crossing from the direct registers (0x7C..0x7F) into page 1 of the window.
        {kSub, 0x07C, "10 11 12 13"},
        {kSub, 0x07E, "12 13 14 15"},
        // RAM ends at 0xFFF: the bytes past it are 0.
        {kSub, 0xFFE, "EE EF 00 00"},
    };
    for (const Case& c : cases) {
        auto bytes = views::readVarBytes(rig.engine, c.target, c.address);
        ASSERT_TRUE(bytes) << c.address;
        EXPECT_EQ(hexOf({bytes->begin(), bytes->end()}), c.expected) << c.address;
    }
    EXPECT_EQ(sub().ram[0x51], 0x05);
}

// --- Flash --------------------------------------------------------------------

TEST_F(MemoryViews, FlashPageOfANodeAndOfASubModule) {
    // The built-in network: node 01 has EF 10 F0 0F 12 00 at 0x2000, module 10 has
    // 00 01 02 03 at 0x4000; the rest is erased.
    views::PageRead n = views::readFlashPage(rig.engine, kNode, 0x2000);
    ASSERT_TRUE(n.complete());
    EXPECT_EQ(hexOf({n.bytes.begin(), n.bytes.begin() + 8}), "EF 10 F0 0F 12 00 FF FF");
    EXPECT_EQ(frames(), (Frames{"01 76 20 00 80", "01 76 20 80 80"}));

    EngineRig fresh{network};
    views::PageRead s = views::readFlashPage(fresh.engine, kSub, 0x4000);
    ASSERT_TRUE(s.complete());
    EXPECT_EQ(hexOf({s.bytes.begin(), s.bytes.begin() + 5}), "00 01 02 03 FF");
    std::vector<std::string> sent;
    for (const auto& f : fresh.line.sent()) sent.push_back(hexOf({f.begin(), f.end() - 2}));
    // Table pointer low, high, upper (always 0) to 0xF6, then 128 bytes from 0xF5.
    EXPECT_EQ(sent, (Frames{"01 7A 10 51 01", "01 7B 10 51 01 00", "01 7B 10 F6 03 00 40 00",
                            "01 7A 10 F5 80", "01 7B 10 F6 03 80 40 00", "01 7A 10 F5 80",
                            "01 7B 10 51 01 05"}));
    EXPECT_EQ(sub().ram[0x51], 0x05);
}

TEST_F(MemoryViews, FlashFirstHalfLostAtTheNodeGivesNothing) {
    silence(1, 3);  // the first half's three attempts
    views::PageRead page = views::readFlashPage(rig.engine, kNode, 0x2000);
    EXPECT_FALSE(page.firstHalf);
    EXPECT_FALSE(page.secondHalf);
    EXPECT_EQ(rig.line.sent().size(), 3u);  // three attempts, then the read stops
}

// --- EEPROM -------------------------------------------------------------------

TEST_F(MemoryViews, EepromPageAtBothLevels) {
    for (int i = 0; i < 256; ++i) {
        node().eeprom[0x200 + i] = static_cast<uint8_t>(i);
        sub().eeprom[0x200 + i] = static_cast<uint8_t>(255 - i);
    }
    views::PageRead n = views::readEEPage(rig.engine, kNode, 0x200);
    ASSERT_TRUE(n.complete());
    EXPECT_EQ(n.bytes[0x80], 0x80);
    EXPECT_EQ(frames(), (Frames{"01 74 02 00 80", "01 74 02 80 80"}));

    EngineRig fresh{network};
    views::PageRead s = views::readEEPage(fresh.engine, kSub, 0x200);
    ASSERT_TRUE(s.complete());
    for (int i = 0; i < 256; ++i) ASSERT_EQ(s.bytes[i], 255 - i) << i;
    std::vector<std::string> sent;
    for (const auto& f : fresh.line.sent()) sent.push_back(hexOf({f.begin(), f.end() - 2}));
    EXPECT_EQ(sent, (Frames{"01 7A 10 51 01", "01 7B 10 51 01 00", "01 7B 10 A9 02 00 02",
                            "01 7A 10 A8 80", "01 7A 10 A8 80", "01 7B 10 51 01 05"}));
}

TEST_F(MemoryViews, EepromCellWritesAtBothLevels) {
    ASSERT_EQ(views::writeEECell(rig.engine, kNode, 0x3FE, 0x42), WriteOutcome::Written);
    EXPECT_EQ(node().eeprom[0x3FE], 0x42);
    EXPECT_EQ(frames(), (Frames{"01 75 03 FE 01 42"}));

    EngineRig fresh{network};
    ASSERT_EQ(views::writeEECell(fresh.engine, kSub, 0x1F3, 0x24), WriteOutcome::Written);
    EXPECT_EQ(sub().eeprom[0x1F3], 0x24);
    std::vector<std::string> sent;
    for (const auto& f : fresh.line.sent()) sent.push_back(hexOf({f.begin(), f.end() - 2}));
    // EEPROM address low then high to 0xA9; the byte and 55 AA to 0xA8.
    EXPECT_EQ(sent, (Frames{"01 7A 10 51 01", "01 7B 10 51 01 00", "01 7B 10 A9 02 F3 01",
                            "01 7B 10 A8 03 24 55 AA", "01 7B 10 51 01 05"}));
}

TEST_F(MemoryViews, EepromWriteFailingMidwayStillPutsThePageBack) {
    // Requests: 1 REG_PAGE read, 2 page 0, then three tries of the address (3, 5, 7) and
    // the byte (4, 6, 8); no byte is answered.
    rig.line.delivery().silent = [](unsigned n) { return n == 4 || n == 6 || n == 8; };
    EXPECT_EQ(views::writeEECell(rig.engine, kSub, 0x010, 0x99), WriteOutcome::Failed);
    EXPECT_EQ(frames().back(), "01 7B 10 51 01 05");
    EXPECT_EQ(sub().ram[0x51], 0x05);
}

// --- SFR ----------------------------------------------------------------------

TEST_F(MemoryViews, SfrBlockAtBothLevels) {
    for (int i = 0; i < 128; ++i) {
        node().ram[0xF80 + i] = static_cast<uint8_t>(i);
        sub().ram[0xF80 + i] = static_cast<uint8_t>(0x80 + i);
    }
    auto n = views::readSFRBlock(rig.engine, kNode);
    ASSERT_TRUE(n);
    EXPECT_EQ((*n)[0x0A], 0x0A);
    EXPECT_EQ(frames(), (Frames{"01 70 0F 80 80"}));

    EngineRig fresh{network};
    auto s = views::readSFRBlock(fresh.engine, kSub);
    ASSERT_TRUE(s);
    EXPECT_EQ((*s)[0x7F], 0xFF);
    std::vector<std::string> sent;
    for (const auto& f : fresh.line.sent()) sent.push_back(hexOf({f.begin(), f.end() - 2}));
    EXPECT_EQ(sent, (Frames{"01 7A 10 51 01", "01 7B 10 51 01 1F", "01 7A 10 80 80",
                            "01 7B 10 51 01 05"}));
}

TEST_F(MemoryViews, SfrWriteOfLatbAtBothLevels) {
    // LATB is 0xF8A: at level 2 register 0x8A of window page 31.
    ASSERT_EQ(views::writeSFR(rig.engine, kNode, 0xF8A, 0x12), WriteOutcome::Written);
    EXPECT_EQ(node().ram[0xF8A], 0x12);
    EngineRig fresh{network};
    ASSERT_EQ(views::writeSFR(fresh.engine, kSub, 0xF8A, 0x12), WriteOutcome::Written);
    EXPECT_EQ(sub().ram[0xF8A], 0x12);
    std::vector<std::string> sent;
    for (const auto& f : fresh.line.sent()) sent.push_back(hexOf({f.begin(), f.end() - 2}));
    EXPECT_EQ(sent, (Frames{"01 7A 10 51 01", "01 7B 10 51 01 1F", "01 7B 10 8A 01 12",
                            "01 7B 10 51 01 05"}));
}

TEST_F(MemoryViews, FailedWritesPutTheSubModulesPageBack) {
    struct Case {
        const char* what;
        unsigned firstLost;  // requests from here to the write's last attempt go unanswered
        std::function<WriteOutcome(link::TransactionEngine&)> write;
    };
    // Requests: 1 REG_PAGE read, 2 page set, 3..5 the value write's three attempts, whose
    // replies are lost.
    const Case cases[] = {
        {"SFR", 3, [](auto& e) { return views::writeSFR(e, kSub, 0xF8A, 0x34); }},
        {"RAM", 3, [](auto& e) { return views::writeRAMCell(e, kSub, 0x123, 0x34); }},
    };
    for (const Case& c : cases) {
        EngineRig fresh{network};
        sub().ram[0x51] = 0x07;
        fresh.line.delivery().silent = [&](unsigned n) {
            return n >= c.firstLost && n < c.firstLost + 3;
        };
        EXPECT_EQ(c.write(fresh.engine), WriteOutcome::Failed) << c.what;
        EXPECT_EQ(sub().ram[0x51], 0x07) << c.what;
        const auto& last = fresh.line.sent().back();
        EXPECT_EQ(hexOf({last.begin(), last.end() - 2}), "01 7B 10 51 01 07") << c.what;
    }
}
