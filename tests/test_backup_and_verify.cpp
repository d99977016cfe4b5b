// Reading a module back: verifying a write, saving a module's firmware as Intel HEX that
// the loader takes again, at both levels against the simulator.

#include <gtest/gtest.h>

#include "firmware/HexLoader.h"
#include "firmware/HexWriter.h"
#include "firmware/ImageWriter.h"
#include "firmware/ModuleReader.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora;
using namespace velmora::firmware;
using velmora::test::EngineRig;

namespace {

class ReadBack : public ::testing::Test {
protected:
    ReadBack() {
        std::string error;
        EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
    }
    sim::SimModule& node() { return network.node(1)->module(); }
    sim::SimModule& sub() { return *network.node(1)->subModule(0x10); }
    sim::ModuleNetwork network;
    EngineRig rig{network};
};

}  // namespace

TEST(HexWriter, KnownRecordsAndTheEnd) {
    auto images = std::make_unique<FirmwareImages>();
    EXPECT_EQ(writeHexText(*images, 0x2000), ":020000040000FA\r\n:00000001FF\r\n");
    for (int i = 0; i < 16; ++i) images->FlashImage[0x2000 + i] = static_cast<uint8_t>(i);
    images->EepromImage[0] = 0xFF11;
    images->EepromImage[1] = 0xFF22;
    images->EepromImage[2] = 0xFF33;
    const std::string text = writeHexText(*images, 0x2000);
    // Checksums worked out by hand: the two's complement of each record's byte sum.
    EXPECT_NE(text.find(":10200000000102030405060708090A0B0C0D0E0F58\r\n"), std::string::npos);
    EXPECT_NE(text.find(":0200000400F00A\r\n:0300000011223397\r\n"), std::string::npos);
}

TEST(HexWriter, WhatItWritesTheLoaderReadsBackToTheSameImages) {
    auto images = std::make_unique<FirmwareImages>();
    for (uint32_t a = 0x2000; a < 0x2100; ++a) images->FlashImage[a] = static_cast<uint8_t>(a * 7);
    images->FlashImage[0xFFFF] = 0x01;
    images->FlashImage[0x1000] = 0x02;  // below the bottom: not written
    for (uint32_t a : {0u, 1u, 15u, 16u, 17u, 0x3FFu}) images->EepromImage[a] = 0xFF00 | (a & 0xFF);
    auto back = std::make_unique<FirmwareImages>();
    ASSERT_TRUE(loadHexText(writeHexText(*images, 0x2000), 0, *back).ok());
    images->FlashImage[0x1000] = 0xFF;
    EXPECT_EQ(back->FlashImage, images->FlashImage);
    EXPECT_EQ(back->EepromImage, images->EepromImage);
}

TEST_F(ReadBack, VerifyFindsTheFirstDifferenceAtBothLevels) {
    auto images = std::make_unique<FirmwareImages>();
    images->FlashImage[0x4005] = 0x5A;
    images->EepromImage[3] = 0xFF42;
    for (uint8_t level : {1, 2}) {
        EngineRig r{network};
        FirmwareTarget target{1, static_cast<uint8_t>(level == 2 ? 0x10 : 0), level, 0x4000};
        ModuleLink link(r.engine, target);
        sim::SimModule& m = level == 1 ? node() : sub();
        m.ram[0x51] = 0x09;
        ASSERT_TRUE((level == 1 ? writeImageModbus : writeImageI2c)(link, *images, {}).ok());
        EXPECT_TRUE(verifyImages(link, *images, {}).ok()) << int(level);
        m.flash[0x4005] = 0x00;
        RunResult r1 = verifyImages(link, *images, {});
        EXPECT_EQ(r1.outcome, RunOutcome::Mismatch);
        EXPECT_EQ(r1.address, 0x4005);
        m.flash[0x4005] = 0x5A;
        m.eeprom[3] = 0x41;
        RunResult r2 = verifyImages(link, *images, {});
        EXPECT_EQ(r2.outcome, RunOutcome::Mismatch);
        EXPECT_EQ(r2.address, 3);
        EXPECT_EQ(m.ram[0x51], 0x09);
    }
}

TEST_F(ReadBack, BackupHoldsWhatTheModuleHolds) {
    for (uint32_t a = 0x4000; a <= 0xFFFF; a += 0x111) sub().flash[a] = static_cast<uint8_t>(a >> 4);
    for (uint32_t a = 0; a < 0x400; ++a) sub().eeprom[a] = static_cast<uint8_t>(a ^ 0x5A);
    sub().ram[0x51] = 0x02;
    ModuleLink link(rig.engine, {1, 0x10, 2, 0x4000});
    auto saved = std::make_unique<FirmwareImages>();
    ASSERT_TRUE(backupModule(link, *saved, {}).ok());
    for (uint32_t a = 0x4000; a <= 0xFFFF; ++a) ASSERT_EQ(saved->FlashImage[a], sub().flash[a]) << a;
    EXPECT_EQ(saved->FlashImage[0x3FFF], 0xFF);  // below the bottom: not read
    for (uint32_t a = 0; a < 0x400; ++a) ASSERT_EQ(saved->EepromImage[a], 0xFF00 | sub().eeprom[a]);
    EXPECT_EQ(sub().ram[0x51], 0x02);
}
