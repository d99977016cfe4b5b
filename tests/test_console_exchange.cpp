// The console's raw exchange against the simulated network on a fake clock: what goes on
// the line, what the log shows, how long the window lasts, and that it never shares the
// link with a transaction.

#include <gtest/gtest.h>

#include <deque>

#include "console/ConsoleExchange.h"
#include "link/OperationKind.h"
#include "link/ReplyCodes.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora;
using namespace velmora::console;
using test::bytesOf;
using test::hexOf;

namespace {

// One log for the engine's lines and the console's, as on the Terminal page.
struct SharedLog : link::ProtocolLog, ConsoleLog {
    std::deque<std::string> lines;
    std::deque<link::Rgb> colours;
    bool exchangeLogging() const override { return true; }
    void appendLine(const std::string& text, link::Rgb colour) override {
        lines.push_back(text);
        colours.push_back(colour);
    }
    void keepLastLines(size_t n) override {
        while (lines.size() > n) {
            lines.pop_front();
            colours.pop_front();
        }
    }
};

class ConsoleExchange : public ::testing::Test {
protected:
    ConsoleExchange() {
        std::string error;
        EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
        rig.engine.setProtocolLog(&log);
    }
    ConsoleResult send(const std::string& text, CrcOrder order = CrcOrder::LowFirst) {
        return sendConsoleCommand(rig.engine, text, order, log);
    }
    // Bytes from the far end 5 ms after the next send, whatever the network says.
    void answerWith(const std::string& hex) {
        rig.line.at(rig.line.clock().now + 1, [this, hex] {
            rig.line.inject(rig.line.clock().now + 4, bytesOf(hex));
        });
    }

    sim::ModuleNetwork network;
    test::EngineRig rig{network};
    SharedLog log;
};

}  // namespace

TEST_F(ConsoleExchange, IdentifierRequestInBothByteOrders) {
    const uint64_t start = rig.line.clock().now;
    ConsoleResult r = send("1 78");
    EXPECT_EQ(r.outcome, ConsoleOutcome::Sent);
    ASSERT_EQ(rig.line.sent().size(), 1u);
    EXPECT_EQ(hexOf(rig.line.sent()[0]), "01 78 00 02");
    EXPECT_EQ(rig.line.clock().now - start, 700u);
    // 256 bytes: "=> ", sixteen reply lines, the verdict.
    ASSERT_EQ(log.lines.size(), 18u);
    EXPECT_EQ(log.lines[0], "=> 01 78 00 02 ");
    EXPECT_EQ(log.lines[1].substr(0, 9), "<= 01 78 ");
    EXPECT_EQ(log.lines[2].substr(0, 3), "   ");
    EXPECT_EQ(log.lines[17], "  CRC16=OK");
    EXPECT_EQ(log.colours[17].r, 255);
    EXPECT_EQ(r.replyBytes, 256u);
    EXPECT_TRUE(r.goodReply);

    // High byte first: the node does not take the frame and stays silent.
    log.lines.clear();
    r = send("1 78", CrcOrder::HighFirst);
    EXPECT_EQ(hexOf(rig.line.sent()[1]), "01 78 02 00");
    EXPECT_EQ(log.lines, std::deque<std::string>{"=> 01 78 02 00 "});
    EXPECT_EQ(r.replyBytes, 0u);
    EXPECT_FALSE(r.goodReply);
}

TEST_F(ConsoleExchange, RepliesAsTheyArrive) {
    struct Case {
        std::string reply;
        CrcOrder order;
        std::vector<std::string> lines;  // after the "=> " line
        bool good;
    };
    const Case cases[] = {
        {"01 70 00 50 0D 00 00 00 01 00 00 00 00 00 00 00 00 00 08 F7", CrcOrder::LowFirst,
         {"<= 01 70 00 50 0D 00 00 00 01 00 00 00 00 00 00 00 ", "   00 00 08 F7 ", "  CRC16=OK"},
         true},
        {"01 70 00 50 0D 00 00 00 01 00 00 00 00 00 00 00 00 00 08 F7", CrcOrder::HighFirst,
         {"<= 01 70 00 50 0D 00 00 00 01 00 00 00 00 00 00 00 ", "   00 00 08 F7 ", "  CRC16=Bad"},
         false},
        {"AA 55", CrcOrder::LowFirst, {"   AA 55 "}, false},
        {"23 FE 99", CrcOrder::LowFirst, {"   23 FE 99 ", "  CRC16=OK"}, true},
        {"23 99 FE", CrcOrder::HighFirst, {"   23 99 FE ", "  CRC16=OK"}, true},
        {"09 81 00 A1 D1", CrcOrder::LowFirst, {"   09 81 00 A1 D1 ", "  CRC16=Bad"}, false},
    };
    for (const Case& c : cases) {
        log.lines.clear();
        answerWith(c.reply);
        const ConsoleResult r = send("9 70 0 50 D", c.order);  // node 9 is not on the line
        std::vector<std::string> after(log.lines.begin() + 1, log.lines.end());
        EXPECT_EQ(after, c.lines) << c.reply;
        EXPECT_EQ(r.goodReply, c.good) << c.reply;
    }
}

TEST_F(ConsoleExchange, MoreThanTheBufferHoldsIsNeverGood) {
    std::string reply;
    for (int i = 0; i < 300; ++i) reply += "11 ";
    answerWith(reply);
    const ConsoleResult r = send("9 70");
    EXPECT_EQ(r.replyBytes, 300u);
    EXPECT_FALSE(r.goodReply);
    ASSERT_EQ(log.lines.size(), 18u);  // 256 bytes shown, then the verdict
    EXPECT_EQ(log.lines.back(), "  CRC16=Bad");
}

TEST_F(ConsoleExchange, NothingToSendOrRefused) {
    struct Case {
        std::string text;
        ConsoleOutcome outcome;
        std::string message;
    };
    const Case cases[] = {
        {"", ConsoleOutcome::Nothing, ""},
        {"    ", ConsoleOutcome::Nothing, ""},
        {"01 78 Q1", ConsoleOutcome::Refused, "'$Q1' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        const uint64_t start = rig.line.clock().now;
        const ConsoleResult r = send(c.text);
        EXPECT_EQ(r.outcome, c.outcome) << c.text;
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(rig.line.clock().now, start) << "no wait for " << c.text;
    }
    EXPECT_TRUE(rig.line.sent().empty());
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(ConsoleExchange, ClosedPortShowsTheRequestOnly) {
    rig.line.setOpen(false);
    rig.state.PortLost = true;  // not consulted
    const uint64_t start = rig.line.clock().now;
    const ConsoleResult r = send("1 78");
    EXPECT_EQ(r.outcome, ConsoleOutcome::Sent);
    EXPECT_TRUE(rig.line.sent().empty());
    EXPECT_EQ(rig.line.clock().now - start, 700u);
    EXPECT_EQ(log.lines, std::deque<std::string>{"=> 01 78 00 02 "});
}

TEST_F(ConsoleExchange, LogCutToTwentySevenLinesAfterEachSendOnly) {
    for (int round = 0; round < 3; ++round) {
        // Each transaction logs its request and its reply; nobody shortens those.
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(rig.engine.transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code, 0);
        EXPECT_GE(log.lines.size(), 40u);
        send("1 78");
        ASSERT_EQ(log.lines.size(), 27u);
        // The oldest kept lines are the engine's last nine, then the console's eighteen.
        EXPECT_EQ(log.lines[8].substr(0, 5), "<Res ");
        EXPECT_EQ(log.lines[9], "=> 01 78 00 02 ");
        EXPECT_EQ(log.lines[26], "  CRC16=OK");
    }
}

TEST_F(ConsoleExchange, NeverSharesTheLinkWithATransaction) {
    // Started from an event dispatched during a transaction's wait: refused, untouched.
    ConsoleResult during;
    rig.line.at(rig.line.clock().now + 1, [&] { during = send("1 78"); });
    EXPECT_EQ(rig.engine.transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code, 0);
    EXPECT_EQ(during.outcome, ConsoleOutcome::Busy);
    ASSERT_EQ(rig.line.sent().size(), 1u);
    EXPECT_EQ(log.lines.size(), 2u);  // Send> and <Res only

    // And a transaction tried during the console's window is refused in turn.
    uint16_t nested = 0;
    rig.line.at(rig.line.clock().now + 100, [&] {
        nested = rig.engine.transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code;
    });
    EXPECT_EQ(send("1 78").outcome, ConsoleOutcome::Sent);
    EXPECT_EQ(nested, link::kResultLinkBusy);
    EXPECT_EQ(rig.line.sent().size(), 2u);
    EXPECT_TRUE(rig.engine.isFree());
}
