// The simulator's random faults: with a fixed seed the share of spoilt replies is the one
// asked for, every kind turns up, and each spoilt reply is what a real line makes of it.
// Each reply is judged against the same request answered by a network without faults.

#include <gtest/gtest.h>

#include "link/Crc16.h"
#include "link/TimeLimits.h"
#include "sim/SimConfig.h"

using namespace velmora;

namespace {

enum Kind { kClean, kDropped, kCorrupted, kTruncated, kLate, kKinds };

struct Tally {
    unsigned count[kKinds] = {};
    unsigned total = 0;
    unsigned faulted() const { return total - count[kClean]; }
};

sim::ModuleNetwork networkWith(const sim::FaultPlan& plan) {
    sim::ModuleNetwork network;
    std::string error;
    EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
    network.setFaults(plan);
    return network;
}

// Reads that change nothing, of three reply lengths: RAM 4 bytes, EEPROM 16, Flash 64.
std::vector<uint8_t> request(unsigned i) {
    static const std::vector<uint8_t> kinds[] = {{0x01, 0x70, 0x01, 0x00, 0x04},
                                                 {0x01, 0x74, 0x00, 0x10, 0x10},
                                                 {0x01, 0x76, 0x20, 0x00, 0x40}};
    std::vector<uint8_t> frame = kinds[i % 3];
    frame.resize(frame.size() + 2);
    link::appendCrc(frame.data(), frame.size() - 2);
    return frame;
}

// Sends `n` requests to both networks and sorts each faulty reply by what it turned into;
// a reply that fits no kind fails the test.
Tally judge(sim::ModuleNetwork& faulty, unsigned n, uint32_t baud = 115200) {
    sim::ModuleNetwork clean = networkWith({});
    Tally t;
    uint64_t now = 0;
    for (unsigned i = 0; i < n; ++i) {
        const auto frame = request(i);
        now += 100;  // past the gap that ends a frame
        const auto expected = clean.feed(frame.data(), frame.size(), now);
        const auto got = faulty.feed(frame.data(), frame.size(), now);
        EXPECT_EQ(expected.size(), 1u);
        ++t.total;
        if (got.empty()) {
            ++t.count[kDropped];
            continue;
        }
        const std::vector<uint8_t>& want = expected[0].bytes;
        const std::vector<uint8_t>& b = got[0].bytes;
        // The terminal gives up on a reply this long after the request went out.
        const uint32_t limit =
            link::replyLimitMs(baud) + link::wireTimeMs(frame.size() + want.size(), baud);
        if (b == want && got[0].delayMs == 0) {
            ++t.count[kClean];
        } else if (b == want) {
            EXPECT_GT(got[0].delayMs, limit) << "request " << i;
            // ...and it still comes while the terminal tries again, not never.
            EXPECT_LT(got[0].delayMs, 3 * limit) << "request " << i;
            ++t.count[kLate];
        } else if (b.size() == want.size()) {
            EXPECT_FALSE(link::frameCrcOk(b.data(), b.size())) << "request " << i;
            EXPECT_EQ(got[0].delayMs, 0u);
            ++t.count[kCorrupted];
        } else {
            EXPECT_LT(b.size(), want.size()) << "request " << i;
            EXPECT_GT(b.size(), 0u);
            EXPECT_TRUE(b.size() < want.size() && std::equal(b.begin(), b.end(), want.begin()))
                << "request " << i;
            ++t.count[kTruncated];
        }
    }
    return t;
}

sim::FaultPlan randomPlan(double share, uint32_t seed) {
    sim::FaultPlan plan;
    plan.random.share = share;
    plan.random.seed = seed;
    return plan;
}

}  // namespace

TEST(RandomFaults, ShareAsAskedEveryKindAndEachWhatItClaims) {
    const double shares[] = {0.05, 0.20};
    for (double share : shares) {
        SCOPED_TRACE(share);
        sim::ModuleNetwork faulty = networkWith(randomPlan(share, 4242));
        const unsigned n = 20000;
        const Tally t = judge(faulty, n);
        // A binomial count: 0.5 % of 20000 is more than three standard deviations at 5 %.
        EXPECT_NEAR(static_cast<double>(t.faulted()) / n, share, 0.005 + share * 0.05);
        // Equal weights: each kind about a quarter of the faults.
        for (int k = kDropped; k < kKinds; ++k) {
            EXPECT_GT(t.count[k], t.faulted() / 6) << "kind " << k;
            EXPECT_LT(t.count[k], t.faulted() / 3) << "kind " << k;
        }
        const sim::FaultCounts& c = faulty.faultCounts();
        EXPECT_EQ(c.replies, n);
        EXPECT_EQ(c.dropped, t.count[kDropped]);
        EXPECT_EQ(c.corrupted, t.count[kCorrupted]);
        EXPECT_EQ(c.truncated, t.count[kTruncated]);
        EXPECT_EQ(c.late, t.count[kLate]);
    }
}

TEST(RandomFaults, WeightsChooseTheKinds) {
    struct Case {
        unsigned drop, corrupt, truncate, late;
        Kind only;
    };
    const Case cases[] = {{1, 0, 0, 0, kDropped},
                          {0, 1, 0, 0, kCorrupted},
                          {0, 0, 1, 0, kTruncated},
                          {0, 0, 0, 1, kLate}};
    for (const Case& c : cases) {
        sim::FaultPlan plan = randomPlan(0.5, 7);
        plan.random.dropWeight = c.drop;
        plan.random.corruptWeight = c.corrupt;
        plan.random.truncateWeight = c.truncate;
        plan.random.lateWeight = c.late;
        sim::ModuleNetwork faulty = networkWith(plan);
        const Tally t = judge(faulty, 400);
        EXPECT_GT(t.count[c.only], 100u) << "kind " << c.only;
        EXPECT_EQ(t.count[c.only], t.faulted()) << "kind " << c.only;
    }
}

TEST(RandomFaults, LateRepliesMissTheLimitOfTheLineSpeed) {
    // At 9600 bit/s the terminal waits three times longer than at 115200.
    for (uint32_t baud : {9600u, 19200u, 115200u}) {
        sim::FaultPlan plan = randomPlan(1.0, 11);
        plan.random.dropWeight = plan.random.corruptWeight = plan.random.truncateWeight = 0;
        plan.random.baud = baud;
        sim::ModuleNetwork faulty = networkWith(plan);
        const Tally t = judge(faulty, 300, baud);
        EXPECT_EQ(t.count[kLate], 300u) << baud;
    }
}

TEST(RandomFaults, TheSeedRepeatsARunAndNoShareNoFaults) {
    auto replies = [](const sim::FaultPlan& plan) {
        sim::ModuleNetwork network = networkWith(plan);
        std::vector<std::pair<std::vector<uint8_t>, uint32_t>> out;
        for (unsigned i = 0; i < 2000; ++i) {
            const auto frame = request(i);
            for (auto& r : network.feed(frame.data(), frame.size(), 100ull * (i + 1)))
                out.emplace_back(r.bytes, r.delayMs);
            out.emplace_back(std::vector<uint8_t>{}, 0);  // keeps the requests apart
        }
        return out;
    };
    EXPECT_EQ(replies(randomPlan(0.05, 99)), replies(randomPlan(0.05, 99)));
    EXPECT_NE(replies(randomPlan(0.05, 99)), replies(randomPlan(0.05, 100)));
    EXPECT_EQ(replies(randomPlan(0.0, 99)), replies(sim::FaultPlan{}));

    sim::ModuleNetwork all = networkWith(randomPlan(1.0, 5));
    EXPECT_EQ(judge(all, 500).faulted(), 500u);
}
