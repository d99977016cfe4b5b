// The simulated network answers as the modules do: known frames in, known replies out.

#include <gtest/gtest.h>

#include "link/Crc16.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora;
using velmora::test::bytesOf;
using velmora::test::hexOf;

namespace {

class Sim : public ::testing::Test {
protected:
    Sim() {
        std::string error;
        EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
    }
    // Sends a request (CRC appended) and returns the single reply, or "none".
    std::string ask(const std::string& hex) {
        auto frame = bytesOf(hex);
        frame.resize(frame.size() + 2);
        link::appendCrc(frame.data(), frame.size() - 2);
        now += 100;
        auto replies = network.feed(frame.data(), frame.size(), now);
        if (replies.empty()) return "none";
        EXPECT_EQ(replies.size(), 1u);
        auto& r = replies[0].bytes;
        EXPECT_TRUE(link::frameCrcOk(r.data(), r.size())) << hexOf(r);
        return hexOf({r.begin(), r.end() - 2});
    }
    sim::ModuleNetwork network;
    uint64_t now = 0;
};

}  // namespace

TEST_F(Sim, ErrorReplies) {
    const std::pair<const char*, const char*> cases[] = {
        {"01 7F 00 00 01", "01 81 00"},     // unknown command
        {"01 71 00 50 00", "01 82 00"},     // write of nothing
        {"01 70 00 50 00", "01 83 00"},     // read of 0 bytes
        {"01 70 00 00 FA", "01 84 00"},     // read above 249 bytes
        {"01 72 00 50 08", "01 85 00"},     // bit number above 7
        {"01 70 0F FF 02", "01 87 00"},     // RAM beyond 0xFFF
        {"01 74 03 FF 02", "01 87 00"},     // EEPROM beyond 0x3FF
        {"01 76 FF FF 02", "01 87 00"},     // Flash beyond 0xFFFF
        {"01 77 20 00 01 00", "01 88 00"},  // Flash write not 64 bytes
        {"01 79 55 AB", "01 8C 00"},        // terminator missing
        {"01 7A 12 00 01", "01 8F 00"},     // absent slave
    };
    for (auto& [request, reply] : cases) EXPECT_EQ(ask(request), reply) << request;
}

TEST_F(Sim, FlashWriteMustStartABlockAboveTheMonitor) {
    std::string zeros;
    for (int i = 0; i < 64; ++i) zeros += " 00";
    EXPECT_EQ(ask("01 77 20 20 40" + zeros), "01 89 00");
    EXPECT_EQ(ask("01 77 1F C0 40" + zeros), "01 8A 00");  // the node's monitor
    EXPECT_EQ(ask("01 77 20 00 40" + zeros), "01 77 20 00 40");
}

TEST_F(Sim, ReadsCarryTheDataAtOffsetFive) {
    EXPECT_EQ(ask("01 70 00 50 04"), "01 70 00 50 04 00 00 00 01");
    EXPECT_EQ(ask("01 74 00 FC 04"), "01 74 00 FC 04 00 15 00 01");
    EXPECT_EQ(ask("01 76 20 00 04"), "01 76 20 00 04 EF 10 F0 0F");
}

TEST_F(Sim, BitReadAndWrite) {
    EXPECT_EQ(ask("01 73 01 00 03 01"), "01 73 01 00 03");
    EXPECT_EQ(network.node(1)->module().ram[0x100], 0x08);
    EXPECT_EQ(ask("01 72 01 00 03"), "01 72 01 00 03 01");
    EXPECT_EQ(ask("01 73 01 00 03 00"), "01 73 01 00 03");
    EXPECT_EQ(network.node(1)->module().ram[0x100], 0x00);
}

TEST_F(Sim, IdentifierIs256BytesWithCrLimitedFields) {
    auto frame = bytesOf("01 78 00 02");
    auto replies = network.feed(frame.data(), frame.size(), 100);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes.size(), 256u);
    EXPECT_EQ(replies[0].bytes[1], 0x78);
    EXPECT_NE(std::find(replies[0].bytes.begin(), replies[0].bytes.end(), 0x0D),
              replies[0].bytes.end());
}

TEST_F(Sim, BroadcastActsWithoutReplying) {
    EXPECT_EQ(ask("00 71 00 60 01 5A"), "none");
    EXPECT_EQ(network.node(1)->module().ram[0x60], 0x5A);
    EXPECT_EQ(network.node(3)->module().ram[0x60], 0x5A);
}

TEST_F(Sim, ForeignNodesAndBadCrcsGetNoReply) {
    EXPECT_EQ(ask("09 70 00 00 01"), "none");
    auto frame = bytesOf("01 70 00 00 01 00 00");
    EXPECT_TRUE(network.feed(frame.data(), frame.size(), 5000).empty());
    // and the next good frame is understood again
    EXPECT_EQ(ask("01 70 00 50 01"), "01 70 00 50 01 00");
}

TEST_F(Sim, FrameFedByteByByte) {
    auto frame = bytesOf("01 70 00 50 04 3E C3");
    std::vector<sim::Reply> replies;
    for (uint8_t b : frame) {
        auto r = network.feed(&b, 1, 200);
        replies.insert(replies.end(), r.begin(), r.end());
    }
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(hexOf(replies[0].bytes), "01 70 00 50 04 00 00 00 01 3C 14");
}

TEST_F(Sim, QuietGapDropsAPartialFrame) {
    auto head = bytesOf("01 70 00");
    EXPECT_TRUE(network.feed(head.data(), head.size(), 100).empty());
    auto frame = bytesOf("01 70 00 50 04 3E C3");
    EXPECT_EQ(network.feed(frame.data(), frame.size(), 300).size(), 1u);
}

TEST_F(Sim, I2cRamWindow) {
    sim::SimModule& m = *network.node(1)->subModule(0x10);
    m.ram[0x020] = 0x11;
    m.ram[0xF8A] = 0x22;
    EXPECT_EQ(ask("01 7A 10 20 01"), "01 7A 10 20 01 11");  // direct
    EXPECT_EQ(ask("01 7B 10 51 01 1F"), "01 7B 10 51 01");  // REG_PAGE = 31
    EXPECT_EQ(ask("01 7A 10 8A 01"), "01 7A 10 8A 01 22");  // 0xF80 + 0x0A
    EXPECT_EQ(ask("01 7B 10 51 01 08"), "01 7B 10 51 01");  // identifier pages
    std::string id = ask("01 7A 10 80 04");
    EXPECT_EQ(id.substr(15), "CC EE E4 F3");  // "Моду"
}

TEST_F(Sim, I2cFlashProgrammingRegisters) {
    sim::SimModule& m = *network.node(1)->subModule(0x22);
    EXPECT_EQ(ask("01 7B 22 51 01 00"), "01 7B 22 51 01");
    // address, erase the block, two rows, read back
    EXPECT_EQ(ask("01 7B 22 F6 03 40 41 00"), "01 7B 22 F6 03");
    EXPECT_EQ(ask("01 7B 22 A6 03 10 55 AA"), "01 7B 22 A6 03");
    EXPECT_EQ(ask("01 7B 22 F5 0A 01 02 03 04 05 06 07 08 55 AA"), "01 7B 22 F5 0A");
    EXPECT_EQ(ask("01 7B 22 F5 0A 11 12 13 14 15 16 17 18 55 AA"), "01 7B 22 F5 0A");
    EXPECT_EQ(m.flash[0x4140], 0x01);
    EXPECT_EQ(m.flash[0x414F], 0x18);
    EXPECT_EQ(ask("01 7B 22 F6 03 4E 41 00"), "01 7B 22 F6 03");
    EXPECT_EQ(ask("01 7A 22 F5 03"), "01 7A 22 F5 03 17 18 FF");
    // a row without its terminator is refused
    EXPECT_EQ(ask("01 7B 22 F5 0A 01 02 03 04 05 06 07 08 55 AB"), "01 8C 00");
}

TEST_F(Sim, I2cEepromRegisters) {
    sim::SimModule& m = *network.node(1)->subModule(0x10);
    EXPECT_EQ(ask("01 7B 10 51 01 00"), "01 7B 10 51 01");
    EXPECT_EQ(ask("01 7B 10 A9 02 FE 01"), "01 7B 10 A9 02");
    EXPECT_EQ(ask("01 7B 10 A8 03 5A 55 AA"), "01 7B 10 A8 03");
    EXPECT_EQ(ask("01 7B 10 A8 03 A5 55 AA"), "01 7B 10 A8 03");
    EXPECT_EQ(m.eeprom[0x1FE], 0x5A);
    EXPECT_EQ(m.eeprom[0x1FF], 0xA5);
    EXPECT_EQ(ask("01 7B 10 A9 02 FE 01"), "01 7B 10 A9 02");
    EXPECT_EQ(ask("01 7A 10 A8 02"), "01 7A 10 A8 02 5A A5");
}

TEST_F(Sim, ProgrammingRegistersOnlyOnPageZero) {
    sim::SimModule& m = *network.node(1)->subModule(0x10);
    EXPECT_EQ(ask("01 7B 10 51 01 02"), "01 7B 10 51 01");
    EXPECT_EQ(ask("01 7B 10 F6 01 99"), "01 7B 10 F6 01");
    EXPECT_EQ(m.ram[0x176], 0x99);
}

TEST(SimConfig, RejectsBadLinesWithTheirNumber) {
    const std::pair<const char*, const char*> cases[] = {
        {"node 00", "line 1: node address must be 01..FF"},
        {"\nnode 1\ni2c 11", "line 3: i2c address must be even, 02..FE"},
        {"i2c 10", "line 1: i2c before any node"},
        {"node 1\nram 0FFF 01 02", "line 2: bytes run past the end of memory"},
        {"node 1\nee 10 XY", "line 2: expected an address and hexadecimal bytes"},
        {"node 1\nflash", "line 2: expected an address and hexadecimal bytes"},
        {"bogus", "line 1: unknown statement 'bogus'"},
    };
    for (auto& [text, message] : cases) {
        sim::ModuleNetwork n;
        std::string error;
        EXPECT_FALSE(sim::loadConfig(text, n, error)) << text;
        EXPECT_EQ(error, message);
    }
}

TEST(SimConfig, ThirtyThirdSubModuleIsRefused) {
    std::string text = "node 1\n";
    for (int s = 2; s <= 66; s += 2)
        text += "i2c " + std::to_string(s / 10) + std::to_string(s % 10) + "\n";
    sim::ModuleNetwork n;
    std::string error;
    EXPECT_FALSE(sim::loadConfig(text, n, error));
    EXPECT_EQ(error, "line 34: more than 32 sub-modules behind one node");
}

// RAM 060..063 with --moving-ram: seconds, a rise to 1000 and back in 40 s (low byte
// first), a swing about 128 by 100 every 20 s. Off, the bytes stay as configured.
TEST_F(Sim, MovingRamFollowsTheTime) {
    struct Case {
        uint64_t ms;
        const char* bytes;  // 060..063
    };
    const Case cases[] = {
        {0, "00 00 00 80"},     {5000, "05 FA 00 E4"},   {10000, "0A F4 01 80"},
        {15000, "0F EE 02 1C"}, {30000, "1E F4 01 80"},  {300000, "2C E8 03 80"},
    };
    for (const Case& c : cases) {
        sim::SimModule m;
        sim::ModuleNetwork::moveRam(m, c.ms);
        EXPECT_EQ(hexOf({m.ram.begin() + 0x60, m.ram.begin() + 0x64}), c.bytes) << c.ms;
    }
    EXPECT_EQ(ask("01 70 00 60 04"), "01 70 00 60 04 00 00 00 00");
    network.setMovingRam(true);
    now += 4900;  // the first request counts as the start: 5 s later by the next one
    EXPECT_EQ(ask("01 70 00 60 04"), "01 70 00 60 04 05 FA 00 E4");
}
