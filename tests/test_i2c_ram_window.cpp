// The i2c sub-module's RAM window: which page and register show an address, and the
// frames that read and move REG_PAGE, against the simulated node 01 with module 10.

#include <gtest/gtest.h>

#include "link/Crc16.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"
#include "views/I2cRamWindow.h"

using namespace velmora;
using velmora::test::EngineRig;
using velmora::test::hexOf;

TEST(I2cRamWindow, PageAndRegisterOfAnAddress) {
    struct Case {
        uint16_t address;
        uint8_t page, reg;
    };
    // Registers 0x00..0x7F are RAM 0x000..0x07F themselves; above, page = address / 128
    // and the window shows address mod 128 from register 0x80 on.
    const Case cases[] = {
        {0x000, 0, 0x00}, {0x051, 0, 0x51}, {0x07F, 0, 0x7F}, {0x080, 1, 0x80}, {0x0FF, 1, 0xFF},
        {0x100, 2, 0x80}, {0x123, 2, 0xA3}, {0xF00, 30, 0x80}, {0xF80, 31, 0x80}, {0xFFF, 31, 0xFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(views::pageFor(c.address), c.page) << c.address;
        EXPECT_EQ(views::registerFor(c.address), c.reg) << c.address;
    }
}

namespace {

class I2cWindowOnTheLine : public ::testing::Test {
protected:
    I2cWindowOnTheLine() {
        std::string error;
        EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
    }
    // The frame as sent, without its CRC (checked apart).
    std::string sentWithoutCrc(size_t i) {
        const auto& f = rig.line.sent().at(i);
        EXPECT_TRUE(link::frameCrcOk(f.data(), f.size()));
        return hexOf({f.begin(), f.end() - 2});
    }
    sim::ModuleNetwork network;
    EngineRig rig{network};
    views::I2cRamWindow window{rig.engine, 0x01, 0x10};
};

}  // namespace

TEST_F(I2cWindowOnTheLine, SelectsThePageThenReadsItBack) {
    ASSERT_TRUE(window.setI2CPage(0x123, 3));
    // wrI2C to node 01, slave 10, register 51, one byte: page 2.
    EXPECT_EQ(sentWithoutCrc(0), "01 7B 10 51 01 02");
    auto page = window.getI2CPage(3);
    ASSERT_TRUE(page);
    EXPECT_EQ(*page, 2);
    EXPECT_EQ(sentWithoutCrc(1), "01 7A 10 51 01");
    ASSERT_TRUE(window.restorePage(0, 3));
    EXPECT_EQ(*window.getI2CPage(1), 0);
}

TEST_F(I2cWindowOnTheLine, AnAbsentModuleGivesNothingAfterItsTries) {
    views::I2cRamWindow absent{rig.engine, 0x01, 0x30};
    EXPECT_FALSE(absent.getI2CPage(2));
    EXPECT_FALSE(absent.setI2CPage(0x100, 1));
    // getI2CPage: one attempt a try; setI2CPage: three attempts a try, unless the module
    // answers with an error at once (an absent i2c slave does: code 15), which ends the try.
    EXPECT_GE(rig.line.sent().size(), 3u);
}
