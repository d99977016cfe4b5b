// An i2c module's data registers (0xF5 Flash, 0xA8 EEPROM) move the module's address on
// with every byte they give or take, also when the reply is then lost on the line. A
// lost reply must therefore never make a retry read the following bytes or write a byte
// into the next cell: each case loses one reply and checks the module's memory or what
// was read against what the module holds.

#include <gtest/gtest.h>

#include <functional>

#include "access/MemoryMap.h"
#include "firmware/FlashEraser.h"
#include "firmware/ImageWriter.h"
#include "firmware/ModuleReader.h"
#include "firmware/ProgramRun.h"
#include "tests/support/I2cLostReply.h"

using namespace velmora;
using namespace velmora::firmware;
using velmora::access::kRegEepromData;
using velmora::access::kRegFlashData;
using velmora::test::EngineRig;

namespace {

class LostReply : public velmora::test::I2cLostReplyTest {
protected:
    // Flash from 0x4000 up, where these cases write, differs from byte to byte.
    LostReply() : I2cLostReplyTest(0x4000) {}
    void loseReply(uint8_t command, uint8_t reg, unsigned nth) {
        I2cLostReplyTest::loseReply(rig, command, reg, nth);
    }

    EngineRig rig{network};
    ModuleLink link{rig.engine, {1, 0x10, 2, 0x4000}};
};

}  // namespace

TEST_F(LostReply, EepromByteStillLandsInItsOwnCell) {
    // A run of four cells at 0x100; the lost reply is to the first, a middle and the last
    // byte's write. 0x104 follows the run and is not in the image.
    const uint8_t values[] = {0x11, 0x22, 0x33, 0x44};
    for (unsigned nth : {1u, 2u, 4u}) {
        SCOPED_TRACE(nth);
        for (uint32_t a = 0x100; a < 0x104; ++a) sub().eeprom[a] = 0x00;
        sub().eeprom[0x104] = 0x77;
        auto images = std::make_unique<FirmwareImages>();
        for (uint32_t i = 0; i < 4; ++i) images->EepromImage[0x100 + i] = 0xFF00 | values[i];
        EngineRig r{network};
        ModuleLink l(r.engine, {1, 0x10, 2, 0x4000});
        unsigned seen = 0;
        r.line.delivery().loseReplyTo = [&](const std::vector<uint8_t>& req) {
            return req[1] == kWrI2C && req[3] == kRegEepromData && ++seen == nth;
        };
        ASSERT_TRUE(writeImageI2c(l, *images, {}).ok());
        for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(sub().eeprom[0x100 + i], values[i]) << i;
        EXPECT_EQ(sub().eeprom[0x104], 0x77);
    }
}

TEST_F(LostReply, FlashRowIsWrittenAgainAtItsOwnAddress) {
    auto images = std::make_unique<FirmwareImages>();
    for (uint32_t a = 0x4040; a < 0x4080; ++a) images->FlashImage[a] = static_cast<uint8_t>(a ^ 0xA5);
    for (unsigned nth : {1u, 5u, 8u}) {
        SCOPED_TRACE(nth);
        EngineRig r{network};
        ModuleLink l(r.engine, {1, 0x10, 2, 0x4000});
        unsigned seen = 0;
        r.line.delivery().loseReplyTo = [&](const std::vector<uint8_t>& req) {
            return req[1] == kWrI2C && req[3] == kRegFlashData && ++seen == nth;
        };
        ASSERT_TRUE(writeImageI2c(l, *images, {}).ok());
        for (uint32_t a = 0x4040; a < 0x4080; ++a) ASSERT_EQ(sub().flash[a], images->FlashImage[a]) << a;
        EXPECT_EQ(sub().flash[0x4080], static_cast<uint8_t>(0x4080 * 7 + 3));
    }
}

TEST_F(LostReply, ReadsReturnTheBytesAskedFor) {
    struct Case {
        const char* what;
        uint8_t reg;
        unsigned nth;
    };
    const Case cases[] = {{"first Flash block", kRegFlashData, 1},
                          {"a later Flash block", kRegFlashData, 9},
                          {"first EEPROM chunk", kRegEepromData, 1},
                          {"last EEPROM chunk", kRegEepromData, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EngineRig r{network};
        ModuleLink l(r.engine, {1, 0x10, 2, 0x4000});
        unsigned seen = 0;
        r.line.delivery().loseReplyTo = [&](const std::vector<uint8_t>& req) {
            return req[1] == kRdI2C && req[3] == c.reg && ++seen == c.nth;
        };
        auto saved = std::make_unique<FirmwareImages>();
        ASSERT_TRUE(backupModule(l, *saved, {}).ok());
        for (uint32_t a = 0x4000; a <= 0xFFFF; ++a) ASSERT_EQ(saved->FlashImage[a], sub().flash[a]) << a;
        for (uint32_t a = 0; a <= kEepromTop; ++a)
            ASSERT_EQ(saved->EepromImage[a] & 0xFF, sub().eeprom[a]) << a;
    }
}

TEST_F(LostReply, VerifyOfAGoodWriteStaysGood) {
    auto images = std::make_unique<FirmwareImages>();
    for (uint32_t a = 0x5000; a < 0x5080; ++a) images->FlashImage[a] = static_cast<uint8_t>(a);
    for (uint32_t a = 0x20; a < 0x28; ++a) images->EepromImage[a] = static_cast<uint16_t>(0xFF00 | a);
    ASSERT_TRUE(writeImageI2c(link, *images, {}).ok());
    for (uint8_t reg : {kRegFlashData, kRegEepromData}) {
        EngineRig r{network};
        ModuleLink l(r.engine, {1, 0x10, 2, 0x4000});
        unsigned seen = 0;
        r.line.delivery().loseReplyTo = [&](const std::vector<uint8_t>& req) {
            return req[1] == kRdI2C && req[3] == reg && ++seen == 1;
        };
        const RunResult v = verifyImages(l, *images, {});
        EXPECT_TRUE(v.ok()) << int(reg) << " outcome " << int(v.outcome) << " at " << v.address;
    }
}

TEST_F(LostReply, EraseKeepsTheRestOfTheBlock) {
    // 0x4010..0x402F erased; the block's other bytes are read and written back.
    loseReply(kRdI2C, kRegFlashData, 1);
    ASSERT_TRUE(eraseFlash(link, {0x4010, 0x402F}, {}).ok());
    for (uint32_t a = 0x4000; a < 0x4080; ++a) {
        const bool erased = a >= 0x4010 && a <= 0x402F;
        EXPECT_EQ(sub().flash[a], erased ? 0xFF : static_cast<uint8_t>(a * 7 + 3)) << a;
    }
}
