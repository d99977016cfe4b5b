// Reaching a module's memories (access/): which page and register of an i2c module's
// window show an address, the frames a read through the window sends, and how often
// REG_PAGE is asked of an i2c module that is not there, against the simulated node 01.

#include <gtest/gtest.h>

#include <array>

#include "access/MemoryMap.h"
#include "access/RamWindow.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora;
using velmora::test::EngineRig;

TEST(ModuleAccess, PageAndRegisterOfAnAddress) {
    struct Case {
        uint16_t address;
        uint8_t page, reg;
    };
    // Registers 0x00..0x7F are RAM 0x000..0x07F themselves; above, page = address / 128
    // and the window shows address mod 128 from register 0x80 on.
    const Case cases[] = {
        {0x000, 0, 0x00}, {0x051, 0, 0x51}, {0x07F, 0, 0x7F},  {0x080, 1, 0x80},  {0x0FF, 1, 0xFF},
        {0x100, 2, 0x80}, {0x123, 2, 0xA3}, {0xF00, 30, 0x80}, {0xF80, 31, 0x80}, {0xFFF, 31, 0xFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(access::pageFor(c.address), c.page) << c.address;
        EXPECT_EQ(access::registerFor(c.address), c.reg) << c.address;
    }
}

namespace {

class ModuleAccessOnTheLine : public ::testing::Test {
protected:
    ModuleAccessOnTheLine() {
        std::string error;
        EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
        sub().ram[0x51] = 0x05;
    }
    sim::SimModule& sub() { return *network.node(1)->subModule(0x10); }
    // Every frame sent, without its CRC (each CRC checked).
    std::vector<std::string> frames() { return test::framesSent(rig.line); }
    sim::ModuleNetwork network;
    EngineRig rig{network};
};

}  // namespace

TEST_F(ModuleAccessOnTheLine, AReadAcrossAWindowsEndMovesThePageOnAndPutsItBack) {
    for (uint16_t a = 0x17C; a < 0x184; ++a) sub().ram[a] = static_cast<uint8_t>(a);
    access::ModuleLink link(rig.engine, {1, 0x10, 2});
    std::array<uint8_t, 4> bytes{};
    const access::Transfer t =
        readRam(link, 0x17E, bytes.data(), bytes.size(), access::attempts::kRamWindow);
    EXPECT_TRUE(t.ok());
    EXPECT_EQ(t.done, 4u);
    EXPECT_EQ(bytes, (std::array<uint8_t, 4>{0x7E, 0x7F, 0x80, 0x81}));
    // REG_PAGE read; page 2, registers FE..FF; page 3, registers 80..81; page 5 again.
    EXPECT_EQ(frames(), (std::vector<std::string>{"01 7A 10 51 01", "01 7B 10 51 01 02",
                                                  "01 7A 10 FE 02", "01 7B 10 51 01 03",
                                                  "01 7A 10 80 02", "01 7B 10 51 01 05"}));
    EXPECT_EQ(sub().ram[0x51], 0x05);
}

TEST_F(ModuleAccessOnTheLine, AModuleThatIsNotThereIsAskedForItsPageAndNothingIsPutBack) {
    // The node answers at once for an i2c module that is not there (error 15); every try
    // and every attempt asks again.
    struct Case {
        const char* what;
        access::WindowSteps steps;
        size_t frames;
    };
    const Case cases[] = {
        {"RAM tab", access::attempts::kRamWindow, 3},
        {"SFR list", access::attempts::kSfrWindow, 3},
        {"browser", access::attempts::kBrowserWindow, 1},
        {"identifier", access::attempts::kIdentWindow, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EngineRig r{network};
        access::ModuleLink absent(r.engine, {1, 0x30, 2});
        std::array<uint8_t, 4> bytes{};
        const access::Transfer t = readRam(absent, 0x100, bytes.data(), bytes.size(), c.steps);
        EXPECT_TRUE(t.atPage);
        EXPECT_EQ(t.done, 0u);
        EXPECT_EQ(r.line.sent().size(), c.frames);  // REG_PAGE's reads; nothing to put back
    }
}
