// The Module page's reads and writes at an i2c module when a reply is lost on the line.
// The module's data registers (0xF5 Flash, 0xA8 EEPROM) move its address on with every
// byte they give or take, also when the reply never arrives; a retry on the moved address
// would show the following bytes as the page asked for, or write a byte into the next
// cell. Each case loses one reply and compares with what the module holds.

#include <gtest/gtest.h>

#include "tests/support/I2cLostReply.h"
#include "views/MemoryReads.h"
#include "views/MemoryWrites.h"

using namespace velmora;
using namespace velmora::views;
using velmora::test::EngineRig;

namespace {

class ViewLostReply : public velmora::test::I2cLostReplyTest {
protected:
    const access::ModuleAddress target{1, 0x10, 2};
};

}  // namespace

TEST_F(ViewLostReply, EepromPageShowsTheModulesBytes) {
    // The first and the second half's read lose their reply in turn.
    for (unsigned nth : {1u, 2u}) {
        SCOPED_TRACE(nth);
        EngineRig rig{network};
        loseReply(rig, kRdI2C, 0xA8, nth);
        const PageRead page = readEEPage(rig.engine, target, 0x0100);
        ASSERT_TRUE(page.complete());
        for (uint32_t i = 0; i < 256; ++i) ASSERT_EQ(page.bytes[i], sub().eeprom[0x100 + i]) << i;
    }
}

TEST_F(ViewLostReply, FlashPageShowsTheModulesBytes) {
    for (unsigned nth : {1u, 2u}) {
        SCOPED_TRACE(nth);
        EngineRig rig{network};
        loseReply(rig, kRdI2C, 0xF5, nth);
        const PageRead page = readFlashPage(rig.engine, target, 0x4200);
        ASSERT_TRUE(page.complete());
        for (uint32_t i = 0; i < 256; ++i) ASSERT_EQ(page.bytes[i], sub().flash[0x4200 + i]) << i;
    }
}

TEST_F(ViewLostReply, EepromCellEditWritesItsOwnCellOnly) {
    EngineRig rig{network};
    const uint8_t before = sub().eeprom[0x121];
    loseReply(rig, kWrI2C, 0xA8, 1);
    EXPECT_EQ(writeEECell(rig.engine, target, 0x0120, 0x5A), WriteOutcome::Written);
    EXPECT_EQ(sub().eeprom[0x120], 0x5A);
    EXPECT_EQ(sub().eeprom[0x121], before);  // the cell after it is untouched
}

TEST_F(ViewLostReply, EepromCellEditThatNeverGetsAnAnswerFails) {
    EngineRig rig{network};
    rig.line.delivery().loseReplyTo = [](const std::vector<uint8_t>& req) {
        return req.size() > 3 && req[1] == kWrI2C && req[3] == 0xA8;
    };
    const uint8_t after = sub().eeprom[0x123];
    EXPECT_EQ(writeEECell(rig.engine, target, 0x0122, 0x5A), WriteOutcome::Failed);
    EXPECT_EQ(sub().eeprom[0x123], after);  // three tries, all at 0x122
}
