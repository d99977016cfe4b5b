#pragma once
// Node 01's i2c sub-module 10 with memory that differs from byte to byte, so a byte read
// or written one place off shows, and a way to lose the reply to a chosen request on the
// simulated line.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"

namespace velmora::test {

class I2cLostReplyTest : public ::testing::Test {
protected:
    static constexpr uint8_t kRdI2C = 0x7A, kWrI2C = 0x7B;

    // Flash below `patternedFlashFrom` keeps the built-in network's contents.
    explicit I2cLostReplyTest(uint32_t patternedFlashFrom = 0) {
        std::string error;
        EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
        for (uint32_t a = patternedFlashFrom; a < sub().flash.size(); ++a)
            sub().flash[a] = static_cast<uint8_t>(a * 7 + 3);
        for (uint32_t a = 0; a < sim::kEepromSize; ++a) sub().eeprom[a] = static_cast<uint8_t>(a * 5 + 1);
    }
    sim::SimModule& sub() { return *network.node(1)->subModule(0x10); }

    // The reply to the `nth` request of `command` to register `reg` is lost; the request
    // itself is carried out by the module.
    static void loseReply(EngineRig& rig, uint8_t command, uint8_t reg, unsigned nth) {
        rig.line.delivery().loseReplyTo = [command, reg, nth, seen = 0u](
                                              const std::vector<uint8_t>& req) mutable {
            return req.size() > 3 && req[1] == command && req[3] == reg && ++seen == nth;
        };
    }

    sim::ModuleNetwork network;
};

}  // namespace velmora::test
