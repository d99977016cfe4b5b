// Replies that answer an earlier request (late, after their attempt gave up) are never
// taken for the answer to a later one: the guard after a time-out, the header echo once
// a module has shown it echoes, and the wire time on a real line.

#include <gtest/gtest.h>

#include "link/Crc16.h"
#include "link/OperationKind.h"
#include "link/ReplyCodes.h"
#include "link/StragglerGuard.h"
#include "link/TimeLimits.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora;
using namespace velmora::link;
using velmora::test::EngineRig;

namespace {

class Stragglers : public ::testing::Test {
protected:
    Stragglers() {
        std::string error;
        EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
        auto& ram = network.node(1)->module().ram;
        for (size_t i = 0; i < 0x100; ++i) ram[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    // The reply node 1 gives to a RAM read of `count` bytes at `address`, header echoed.
    std::vector<uint8_t> ramReply(uint16_t address, uint8_t count) {
        std::vector<uint8_t> f{0x01, 0x70, static_cast<uint8_t>(address >> 8),
                               static_cast<uint8_t>(address), count};
        for (uint8_t i = 0; i < count; ++i) f.push_back(network.node(1)->module().ram[address + i]);
        f.resize(f.size() + 2);
        appendCrc(f.data(), f.size() - 2);
        return f;
    }
    // Reads `count` bytes at `address` and says whether the data read are the module's RAM.
    bool readsTruth(EngineRig& rig, uint16_t address, uint8_t count, uint16_t& result) {
        result = rig.engine.transact({1, rdRAM, address, count, 0, 3}, {}, readData).code;
        for (uint8_t i = 0; i < count; ++i)
            if (readData[i] != network.node(1)->module().ram[address + i]) return false;
        return true;
    }
    // Delivers `bytes` at `at`, in pieces of `piece` bytes one millisecond apart.
    static void deliver(EngineRig& rig, uint64_t at, const std::vector<uint8_t>& bytes,
                        size_t piece) {
        for (size_t i = 0; i < bytes.size(); i += piece)
            rig.line.inject(at++, std::vector<uint8_t>(
                                      bytes.begin() + static_cast<long>(i),
                                      bytes.begin() + static_cast<long>(std::min(bytes.size(), i + piece))));
    }

    sim::ModuleNetwork network;
    std::array<uint8_t, 256> readData{};
};

}  // namespace

// The first request's answer comes after its only attempt gave up, at points all over
// the guard that follows, whole or byte by byte, while the next read of the same node and
// command (another address) is answered slowly: that read still gets its own answer.
TEST_F(Stragglers, ALateAnswerInTheGuardIsDropped) {
    const uint32_t guard = StragglerGuard::guardMs(115200);
    for (uint32_t lateBy : {2u, 30u, 120u, guard - 30}) {
        for (size_t piece : {size_t{1}, size_t{64}}) {
            EngineRig rig{network};
            rig.line.delivery().answerFrom = 2;  // the first request goes unanswered
            rig.line.delivery().latencyMs = 150;
            const uint64_t sent = rig.line.clock().now;
            const uint64_t deadline = sent + wireTimeMs(7 + 11, 115200) + replyLimitMs(115200);
            deliver(rig, deadline + lateBy, ramReply(0x0C, 4), piece);
            EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x0C, 4, 0, 1}, {}, readData).code,
                      kResultNoReply);
            uint16_t result = 0;
            EXPECT_TRUE(readsTruth(rig, 0x0E, 4, result)) << lateBy << " " << piece;
            EXPECT_EQ(result, 0) << lateBy << " " << piece;
            EXPECT_TRUE(rig.engine.takeLateAnswer(1)) << lateBy << " " << piece;
        }
    }
}

// Another node is not held up by the guard, and a straggler of the node awaited that
// comes while another node is asked is set aside and noted.
TEST_F(Stragglers, OtherNodesAreNotHeldUp) {
    network.addNode(2);
    EngineRig rig{network};
    rig.line.delivery().answerFrom = 2;
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x0C, 4, 0, 1}, {}, readData).code, kResultNoReply);
    const uint64_t before = rig.line.clock().now;
    rig.line.inject(before + 1, ramReply(0x0C, 4));
    EXPECT_EQ(rig.engine.transact({2, rdRAM, 0x00, 1, 0, 1}, {}, readData).code, 0);
    EXPECT_LT(rig.line.clock().now - before, 20u);
    EXPECT_TRUE(rig.engine.awaitingStraggler(1));
    EXPECT_TRUE(rig.engine.takeLateAnswer(1));
}

// Later than the guard: only the echo tells. Once node 1 has echoed, a reply with another
// address in its header is a straggler, also when it comes first and whole.
TEST_F(Stragglers, AStragglerPastTheGuardIsRefusedOnceTheModuleEchoes) {
    for (size_t piece : {size_t{1}, size_t{13}}) {
        EngineRig rig{network};
        uint16_t result = 0;
        ASSERT_TRUE(readsTruth(rig, 0x10, 4, result));
        ASSERT_TRUE(readsTruth(rig, 0x20, 4, result));
        rig.line.delivery().latencyMs = 20;
        deliver(rig, rig.line.clock().now + 1, ramReply(0x0C, 4), piece);
        EXPECT_TRUE(readsTruth(rig, 0x0E, 4, result)) << piece;
        EXPECT_EQ(result, 0);
        EXPECT_EQ(rig.line.sent().size(), 3u);
    }
}

// Before the module has shown that it echoes, nothing is demanded of the header; and a
// module whose replies never echo is read without a single false failure.
TEST_F(Stragglers, NoEchoIsDemandedOfAModuleThatDoesNotEcho) {
    sim::FaultPlan plan;
    plan.noEcho = true;
    network.setFaults(plan);
    EngineRig rig{network};
    for (uint16_t a = 0; a < 0x100; a += 0x10) {
        uint16_t result = 1;
        EXPECT_TRUE(readsTruth(rig, a, 16, result)) << a;
        EXPECT_EQ(result, 0) << a;
        EXPECT_EQ(rig.engine.transact({1, rdEE, a, 8, 0, 3}, {}, readData).code, 0) << a;
        EXPECT_EQ(rig.engine.transact({1, rdI2C, a, 8, 0x10, 3}, {}, readData).code, 0) << a;
    }
    EXPECT_EQ(rig.line.sent().size(), 48u);
}

// A module that stops echoing (given other firmware) has two replies refused, then is
// read as one that never echoed: a read of three attempts still succeeds, and of reads of
// one attempt only the first fails.
TEST_F(Stragglers, AModuleThatStopsEchoingCostsTwoReplies) {
    for (uint8_t retries : {3, 1}) {
        EngineRig rig{network};
        uint16_t result = 0;
        for (uint16_t a : {0x10, 0x20}) ASSERT_TRUE(readsTruth(rig, a, 4, result));
        sim::FaultPlan plan;
        plan.noEcho = true;
        network.setFaults(plan);
        if (retries == 1) {
            EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x40, 4, 0, 1}, {}, readData).code,
                      kResultNoReply);
            EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x40, 4, 0, 1}, {}, readData).code,
                      kResultNoReply);
        }
        EXPECT_TRUE(readsTruth(rig, 0x40, 4, result));
        EXPECT_EQ(result, 0) << int(retries);
        network.setFaults({});
    }
}

// On a line with wire time, once a straggler can be on its way (an attempt has timed
// out), a reply complete sooner than the request and the reply can cross the line answers
// something else; at every speed a clean line gives no false failure.
TEST_F(Stragglers, OnARealLineAReplyTooEarlyIsNotTheAnswer) {
    for (uint32_t baud : {9600u, 19200u, 57600u, 115200u}) {
        EngineRig rig{network};
        rig.line.setBaud(baud);
        rig.line.setWireTime(true);
        rig.line.delivery().latencyMs = 0;
        rig.line.delivery().answerFrom = 2;
        EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x00, 1, 0, 1}, {}, readData).code,
                  kResultNoReply);
        uint16_t result = 1;
        EXPECT_TRUE(readsTruth(rig, 0x00, 249, result)) << baud;
        EXPECT_EQ(result, 0) << baud;
        // The very header a straggler of this request would carry, but other data: it
        // comes at once, before anything could cross.
        std::vector<uint8_t> early = ramReply(0x80, 128);
        early[early.size() - 3] ^= 0xFF;
        appendCrc(early.data(), early.size() - 2);
        rig.line.inject(rig.line.clock().now + 1, early);
        EXPECT_TRUE(readsTruth(rig, 0x80, 128, result)) << baud;
        EXPECT_EQ(result, 0) << baud;
    }
}

// A port that says it is a serial line but hands whole replies over at once: before any
// straggler could exist, the first such reply shows the rule does not fit the port.
TEST_F(Stragglers, APortFasterThanItsWireIsReadWithoutFalseFailures) {
    EngineRig rig{network};
    rig.line.setBaud(9600);
    rig.line.setFastPortClaimingWireTime();
    for (uint16_t a = 0; a < 0x100; a += 0x40) {
        uint16_t result = 1;
        EXPECT_TRUE(readsTruth(rig, a, 64, result)) << a;
        EXPECT_EQ(result, 0) << a;
    }
    EXPECT_EQ(rig.line.sent().size(), 4u);
}
