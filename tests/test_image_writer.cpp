// Programming a module from the images, checked frame by frame against the simulated
// node 01 and its i2c module 10, with the pauses measured on the fake clock.

#include <gtest/gtest.h>

#include "common/HexText.h"
#include "firmware/ImageWriter.h"
#include "link/Crc16.h"
#include "link/ReplyCodes.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora;
using namespace velmora::firmware;
using velmora::test::EngineRig;
using velmora::test::hexOf;

namespace {

class ImageWrite : public ::testing::Test {
protected:
    ImageWrite() {
        std::string error;
        EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
    }
    // Every frame sent, without its CRC (each CRC is checked on the way).
    std::vector<std::string> frames() { return test::framesSent(rig.line); }
    static bool isCommand(const std::vector<uint8_t>& f, uint8_t command, int reg = -1) {
        return f.size() > 3 && f[1] == command && (reg < 0 || f[3] == reg);
    }
    sim::SimModule& node() { return network.node(1)->module(); }
    sim::SimModule& sub() { return *network.node(1)->subModule(0x10); }

    sim::ModuleNetwork network;
    EngineRig rig{network};
    std::unique_ptr<FirmwareImages> images = std::make_unique<FirmwareImages>();
};

std::string repeat(const std::string& hex, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += (s.empty() ? "" : " ") + hex;
    return s;
}

}  // namespace

TEST_F(ImageWrite, EmptyImageToANodeSendsOnlyTheFixedSteps) {
    FirmwareTarget target{1, 0, 1, 0x2000};
    ModuleLink link(rig.engine, target);
    const uint64_t t0 = rig.line.clock().now;
    EXPECT_TRUE(writeImageModbus(link, *images, {}).ok());
    EXPECT_EQ(frames(), (std::vector<std::string>{"01 75 00 FA 02 00 00", "01 79 55 AA"}));
    EXPECT_GE(rig.line.clock().now - t0, 500u);
    EXPECT_TRUE(rig.engine.isFree());
}

TEST_F(ImageWrite, NodeGetsItsBlocksFrom2000AndItsGivenEepromCells) {
    images->FlashImage[0x1000] = 0xC3;  // below 0x2000: never sent to a node
    for (int i = 0; i < 4; ++i) images->FlashImage[0x2000 + i] = static_cast<uint8_t>(0x11 * (i + 1));
    images->FlashImage[0xFFFF] = 0x99;
    images->EepromImage[0] = 0xFF11;
    images->EepromImage[2] = 0xFF33;
    const uint8_t below = node().flash[0x1000];
    FirmwareTarget target{1, 0, 1, 0x2000};
    ModuleLink link(rig.engine, target);
    std::vector<Progress> seen;
    RunHooks hooks;
    hooks.progress = [&](const Progress& p) { seen.push_back(p); };
    ASSERT_TRUE(writeImageModbus(link, *images, hooks).ok());
    const auto f = frames();
    ASSERT_EQ(f.size(), 6u);
    EXPECT_EQ(f[2], "01 77 20 00 40 11 22 33 44 " + repeat("FF", 60));
    EXPECT_EQ(f[3], "01 77 FF C0 40 " + repeat("FF", 63) + " 99");
    EXPECT_EQ(f[4], "01 75 00 00 01 11");
    EXPECT_EQ(f[5], "01 75 00 02 01 33");
    // The module's memory is the image, and below 0x2000 it is untouched.
    EXPECT_EQ(node().flash[0x2003], 0x44);
    EXPECT_EQ(node().flash[0x2004], 0xFF);
    EXPECT_EQ(node().flash[0xFFFF], 0x99);
    EXPECT_EQ(node().flash[0x1000], below);
    EXPECT_EQ(node().eeprom[0], 0x11);
    EXPECT_EQ(node().eeprom[2], 0x33);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().blocksTotal, 2u);
    EXPECT_EQ(seen.back().blocksDone, 2u);
    EXPECT_EQ(seen.back().eepromDone, 2u);
}

TEST_F(ImageWrite, AFlashBlockGetsFourTriesThenTheWriteFails) {
    images->FlashImage[0x2000] = 0x01;
    images->EepromImage[0] = 0xFF11;
    for (int lost : {3, 4}) {
        EngineRig r{network};
        int wrFlashSeen = 0;
        r.line.delivery().loseReplyTo = [&](const std::vector<uint8_t>& f) {
            return isCommand(f, 0x77) && ++wrFlashSeen <= lost;
        };
        FirmwareTarget target{1, 0, 1, 0x2000};
        ModuleLink link(r.engine, target);
        const RunResult result = writeImageModbus(link, *images, {});
        size_t eeWrites = 0;
        for (const auto& f : r.line.sent()) eeWrites += isCommand(f, 0x75) && f[3] == 0x00;
        if (lost == 3) {
            EXPECT_TRUE(result.ok());
            EXPECT_EQ(wrFlashSeen, 4);
            EXPECT_EQ(eeWrites, 1u);
        } else {
            EXPECT_EQ(result.outcome, RunOutcome::Failed);
            EXPECT_EQ(result.address, 0x2000);
            EXPECT_EQ(result.code, link::kResultNoReply);
            EXPECT_EQ(wrFlashSeen, 4);  // never a fifth
            EXPECT_EQ(eeWrites, 0u);    // the write ended at the failing block
        }
    }
}

TEST_F(ImageWrite, I2cModuleThroughItsRegistersWithItsPageRestored) {
    sub().ram[0x51] = 0x03;
    images->FlashImage[0x2000] = 0x77;  // below FlashBottom 0x4000: skipped
    for (int i = 0; i < 8; ++i) images->FlashImage[0x4000 + i] = static_cast<uint8_t>(i + 1);
    images->EepromImage[5] = 0xFF55;
    images->EepromImage[6] = 0xFF66;
    images->EepromImage[9] = 0xFF99;
    FirmwareTarget target{1, 0x10, 2, 0x4000};
    ModuleLink link(rig.engine, target);
    const uint64_t t0 = rig.line.clock().now;
    ASSERT_TRUE(writeImageI2c(link, *images, {}).ok());
    std::vector<std::string> expected = {
        "01 7A 10 50 01", "01 7A 10 51 01", "01 7B 10 51 01 00",
        "01 7B 10 F6 03 00 40 00", "01 7B 10 A6 03 10 55 AA",
        "01 7B 10 F6 03 00 40 00", "01 7B 10 F5 0A 01 02 03 04 05 06 07 08 55 AA",
    };
    for (int row = 1; row < 8; ++row) {
        expected.push_back("01 7B 10 F6 03 " + hexNumber(row * 8, 2) + " 40 00");
        expected.push_back("01 7B 10 F5 0A " + repeat("FF", 8) + " 55 AA");
    }
    for (const char* s : {"01 7B 10 A9 02 05 00", "01 7B 10 A8 03 55 55 AA", "01 7B 10 A8 03 66 55 AA",
                          "01 7B 10 A9 02 09 00", "01 7B 10 A8 03 99 55 AA", "01 7B 10 51 01 03"})
        expected.push_back(s);
    EXPECT_EQ(frames(), expected);
    // 800 ms after the first read, 20 ms after each EEPROM byte, 300 ms before the page.
    EXPECT_GE(rig.line.clock().now - t0, 800u + 3 * 20 + 300);
    EXPECT_EQ(sub().flash[0x4007], 0x08);
    EXPECT_EQ(sub().flash[0x4008], 0xFF);
    EXPECT_EQ(sub().eeprom[5], 0x55);
    EXPECT_EQ(sub().eeprom[6], 0x66);
    EXPECT_EQ(sub().eeprom[9], 0x99);
    EXPECT_EQ(sub().ram[0x51], 0x03);
}

// Once REG_PAGE was read, the module gets it back however the write ends.
TEST_F(ImageWrite, I2cPageIsRestoredAfterAFailureAndAStop) {
    for (int i = 0; i < 8; ++i) images->FlashImage[0x4000 + i] = 0x42;
    images->FlashImage[0x4040] = 0x42;
    for (bool stop : {false, true}) {
        EngineRig r{network};
        sub().ram[0x51] = 0x07;
        if (!stop)
            r.line.delivery().loseReplyTo = [&](const std::vector<uint8_t>& f) {
                return isCommand(f, 0x7B, 0xF5);
            };
        int blocks = 0;
        RunHooks hooks;
        hooks.progress = [&](const Progress&) { ++blocks; };
        hooks.stopRequested = [&] { return stop && blocks >= 1; };
        FirmwareTarget target{1, 0x10, 2, 0x4000};
        ModuleLink link(r.engine, target);
        const RunResult result = writeImageI2c(link, *images, hooks);
        EXPECT_EQ(result.outcome, stop ? RunOutcome::Stopped : RunOutcome::Failed);
        EXPECT_EQ(result.address, stop ? 0x4040 : 0x4000);
        const auto& last = r.line.sent().back();
        EXPECT_EQ(hexOf({last.begin(), last.end() - 2}), "01 7B 10 51 01 07") << stop;
        EXPECT_EQ(sub().ram[0x51], 0x07);
        EXPECT_TRUE(r.engine.isFree());
    }
}

TEST_F(ImageWrite, EmptyImageToAnI2cModuleOnlySavesAndRestoresThePage) {
    FirmwareTarget target{1, 0x10, 2, 0x2000};
    ModuleLink link(rig.engine, target);
    EXPECT_TRUE(writeImageI2c(link, *images, {}).ok());
    EXPECT_EQ(frames(), (std::vector<std::string>{"01 7A 10 50 01", "01 7A 10 51 01",
                                                  "01 7B 10 51 01 00", "01 7B 10 51 01 00"}));
}
