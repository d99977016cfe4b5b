// The driver's low-latency mode, asked for when a port opens and put back when it
// closes, against drivers the test plays.

#include <gtest/gtest.h>

#include "link/LowLatency.h"
#include "tests/support/FakeSerialDriver.h"

using namespace velmora;
using velmora::testing::FakeSerialDriver;

namespace {
// Linux's ASYNC_LOW_LATENCY, bit 13 of serial_struct.flags, and another flag a driver
// may hold (ASYNC_SKIP_TEST, bit 6) that is left alone.
constexpr int kLowLatency = 1 << 13;
constexpr int kOther = 1 << 6;
}  // namespace

TEST(LowLatency, AskedAtTheOpenPutBackAtTheCloseAndDoneWithoutWhereRefused) {
    struct Case {
        const char* driver;
        bool hasSettings, takesChanges;
        int flagsBefore;
        bool on;
        std::vector<int> writtenAtOpen;
        int flagsAfterClose;
    };
    for (const Case& c : {
             Case{"a USB adapter", true, true, kOther, true, {kOther | kLowLatency}, kOther},
             Case{"already low-latency", true, true, kOther | kLowLatency, true, {}, kOther | kLowLatency},
             Case{"no serial settings (a pty)", false, true, 0, false, {}, 0},
             Case{"refuses the change", true, false, kOther, false, {}, kOther},
         }) {
        SCOPED_TRACE(c.driver);
        FakeSerialDriver d;
        d.hasSettings = c.hasSettings;
        d.takesChanges = c.takesChanges;
        d.flags = c.flagsBefore;
        const link::LowLatency state = link::askLowLatency(3, d);
        EXPECT_EQ(state.on, c.on);
        EXPECT_EQ(d.written, c.writtenAtOpen);
        link::putBackLatency(3, state, d);
        EXPECT_EQ(d.flags, c.flagsAfterClose);
    }
}
