// The main window's pages, keys and tree driven through real input (tests/support/RealInput.h).

#include "tests/support/RealInput.h"

namespace velmora::testing {

// The command line on the Terminal page, opened by a click on its tab (the command line
// then has the focus): each frame goes out once, with its CRC16 (Modbus, low byte
// first), as the simulator received it.
TEST_F(RealInput, TheCommandLineSendsWhatIsTypedThroughItsFilter) {
    start();
    clickAt(tab("pcChan", 2));
    ASSERT_TRUE(waitFocus("cbKomStr"));
    type("1 70 0 10 4");
    press(XK_Return);
    ASSERT_TRUE(waitUntil([&] { return wire() == std::vector<std::string>{"01 70 00 10 04 0F 03"}; }))
        << "typing and Enter sent nothing";
    for (int i = 0; i < 11; ++i) press(XK_BackSpace);
    // x and k are refused, a is upper-cased; the keypad's Enter sends too.
    type("0a xk7");
    press(XK_KP_Enter);
    ASSERT_TRUE(waitUntil([&] {
        return wire() == std::vector<std::string>{"01 70 00 10 04 0F 03", "0A 07 46 D2"};
    }));
    // Both lines are in the history, newest first: two steps down is the first one.
    for (int i = 0; i < 4; ++i) press(XK_BackSpace);
    press(XK_Down);
    press(XK_Down);
    press(XK_Return);
    EXPECT_TRUE(waitUntil([&] {
        return wire() == std::vector<std::string>{"01 70 00 10 04 0F 03", "0A 07 46 D2",
                                                  "01 70 00 10 04 0F 03"};
    })) << "the history did not bring the first command back";
}

}  // namespace velmora::testing
