// Erasing Flash ranges block by block at both levels, against the simulated node 01 and
// its i2c module 10, frame by frame.

#include <gtest/gtest.h>

#include "common/HexText.h"
#include "firmware/FlashEraser.h"
#include "link/Crc16.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora;
using namespace velmora::firmware;
using velmora::test::EngineRig;
using velmora::test::hexOf;

namespace {

class Erase : public ::testing::Test {
protected:
    Erase() {
        std::string error;
        EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
        // Flash 0x2000.. holds its own offset's low byte, so kept bytes are recognisable.
        for (uint32_t a = 0x2000; a <= 0xFFFF; ++a) {
            node().flash[a] = static_cast<uint8_t>(a & 0x3F);
            sub().flash[a] = static_cast<uint8_t>(a & 0x3F);
        }
    }
    std::vector<std::string> frames(EngineRig& r) { return test::framesSent(r.line); }
    sim::SimModule& node() { return network.node(1)->module(); }
    sim::SimModule& sub() { return *network.node(1)->subModule(0x10); }
    // What a block should hold after erasing bytes [from, to] of it.
    static std::string blockAfter(int from, int to) {
        std::string s;
        for (int i = 0; i < 64; ++i)
            s += (i ? " " : "") + hexNumber(i >= from && i <= to ? 0xFF : i, 2);
        return s;
    }
    sim::ModuleNetwork network;
    EngineRig rig{network};
};

}  // namespace

TEST(EraseRange, Checks) {
    struct Case {
        uint32_t start, end;
        uint16_t bottom;
        bool allowed;
    };
    const Case cases[] = {
        {0x2010, 0x201F, 0x2000, true},  {0x2000, 0x2000, 0x2000, true},
        {0xFF00, 0xFFFF, 0x2000, true},  {0x1000, 0x2000, 0x2000, false},
        {0x3000, 0x2FFF, 0x2000, false}, {0x2000, 0x10000, 0x2000, false},
        {0x3FFF, 0x4000, 0x4000, false}, {0x4000, 0x4000, 0x4000, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(eraseRangeAllowed({c.start, c.end}, c.bottom), c.allowed) << c.start << "-" << c.end;
    EXPECT_EQ(eraseLogLine({0x2010, 0x201F}), "Errase Flash: 0x2010 ... 0x201F");
}

TEST_F(Erase, PartOfOneBlockAtANode) {
    ModuleLink link(rig.engine, {1, 0, 1, 0x2000});
    ASSERT_TRUE(eraseFlash(link, {0x2010, 0x201F}, {}).ok());
    // Read until two reads agree, written, read back the same way.
    EXPECT_EQ(frames(rig), (std::vector<std::string>{"01 76 20 00 40", "01 76 20 00 40",
                                                     "01 77 20 00 40 " + blockAfter(0x10, 0x1F),
                                                     "01 76 20 00 40", "01 76 20 00 40"}));
    EXPECT_EQ(node().flash[0x200F], 0x0F);
    EXPECT_EQ(node().flash[0x2010], 0xFF);
    EXPECT_EQ(node().flash[0x201F], 0xFF);
    EXPECT_EQ(node().flash[0x2020], 0x20);
}

TEST_F(Erase, ARangeAcrossTwoBlocks) {
    ModuleLink link(rig.engine, {1, 0, 1, 0x2000});
    ASSERT_TRUE(eraseFlash(link, {0x2030, 0x2047}, {}).ok());
    const auto f = frames(rig);
    ASSERT_EQ(f.size(), 10u);
    EXPECT_EQ(f[2], "01 77 20 00 40 " + blockAfter(0x30, 0x3F));
    EXPECT_EQ(f[5], "01 76 20 40 40");
    EXPECT_EQ(f[7], "01 77 20 40 40 " + blockAfter(0x00, 0x07));
}

TEST_F(Erase, TheTopOfFlashEndsAtFFC0) {
    ModuleLink link(rig.engine, {1, 0, 1, 0x2000});
    std::vector<uint16_t> blocks;
    RunHooks hooks;
    hooks.progress = [&](const Progress& p) { blocks.push_back(p.address); };
    ASSERT_TRUE(eraseFlash(link, {0xFF00, 0xFFFF}, hooks).ok());
    EXPECT_EQ(blocks, (std::vector<uint16_t>{0xFF00, 0xFF40, 0xFF80, 0xFFC0}));
    EXPECT_EQ(rig.line.sent().size(), 8u);
    EXPECT_EQ(node().flash[0xFFFF], 0xFF);
    EXPECT_EQ(node().flash[0xFEFF], 0x3F);
}

TEST_F(Erase, AReadFailureOnTheFirstBlockWritesNothing) {
    rig.line.delivery().loseReplyTo = [](const std::vector<uint8_t>& f) { return f[1] == 0x76; };
    ModuleLink link(rig.engine, {1, 0, 1, 0x2000});
    const RunResult r = eraseFlash(link, {0x2010, 0x201F}, {});
    EXPECT_EQ(r.outcome, RunOutcome::Failed);
    EXPECT_EQ(r.address, 0x2000);
    for (const auto& f : rig.line.sent()) EXPECT_NE(f[1], 0x77);
    EXPECT_EQ(node().flash[0x2010], 0x10);
}

TEST_F(Erase, AnI2cModuleBlockThroughItsRegisters) {
    sub().ram[0x51] = 0x05;
    ModuleLink link(rig.engine, {1, 0x10, 2, 0x2000});
    const uint64_t t0 = rig.line.clock().now;
    ASSERT_TRUE(eraseFlash(link, {0x2008, 0x200F}, {}).ok());
    // The kept bytes are read twice before the block is erased and twice after it is
    // written; each row goes with its own address.
    const std::vector<std::string> read = {"01 7B 10 F6 03 00 20 00", "01 7A 10 F5 40"};
    std::vector<std::string> expected = {"01 7A 10 51 01", "01 7B 10 51 01 00"};
    for (int i = 0; i < 2; ++i) expected.insert(expected.end(), read.begin(), read.end());
    expected.push_back("01 7B 10 F6 03 00 20 00");
    expected.push_back("01 7B 10 A6 03 10 55 AA");
    for (int row = 0; row < 8; ++row) {
        std::string bytes;
        for (int i = 0; i < 8; ++i) bytes += hexNumber(row == 1 ? 0xFF : row * 8 + i, 2) + " ";
        expected.push_back("01 7B 10 F6 03 " + hexNumber(row * 8, 2) + " 20 00");
        expected.push_back("01 7B 10 F5 0A " + bytes + "55 AA");
    }
    for (int i = 0; i < 2; ++i) expected.insert(expected.end(), read.begin(), read.end());
    expected.push_back("01 7B 10 51 01 05");
    EXPECT_EQ(frames(rig), expected);
    // 50 ms after the block erase, 10 ms after each row, 50 ms after the block.
    EXPECT_GE(rig.line.clock().now - t0, 50u + 8 * 10 + 50);
    EXPECT_EQ(sub().flash[0x2007], 0x07);
    EXPECT_EQ(sub().flash[0x2008], 0xFF);
    EXPECT_EQ(sub().flash[0x2010], 0x10);
    EXPECT_EQ(sub().ram[0x51], 0x05);
}

TEST_F(Erase, AnI2cFailureStillRestoresThePage) {
    sub().ram[0x51] = 0x05;
    int rows = 0;
    rig.line.delivery().loseReplyTo = [&](const std::vector<uint8_t>& f) {
        return f[1] == 0x7B && f[3] == 0xF5 && ++rows >= 3;
    };
    ModuleLink link(rig.engine, {1, 0x10, 2, 0x2000});
    const RunResult r = eraseFlash(link, {0x2000, 0x207F}, {});
    EXPECT_EQ(r.outcome, RunOutcome::Failed);
    EXPECT_EQ(r.address, 0x2000);
    const auto& last = rig.line.sent().back();
    EXPECT_EQ(hexOf({last.begin(), last.end() - 2}), "01 7B 10 51 01 05");
    EXPECT_EQ(sub().ram[0x51], 0x05);
    EXPECT_EQ(sub().flash[0x2040], 0x00);  // the next block untouched
}

TEST_F(Erase, NothingIsSentWithoutASelection) {
    ModuleLink link(rig.engine, {0, 0, 0, 0x2000});
    const uint64_t t0 = rig.line.clock().now;
    EXPECT_TRUE(eraseFlash(link, {0x2000, 0x20BF}, {}).ok());
    EXPECT_TRUE(rig.line.sent().empty());
    EXPECT_GE(rig.line.clock().now - t0, 3u * 50);
}
