// Programming under line faults: with replies dropped or corrupted now and then, every
// run either reports its failure or leaves the module holding exactly the image. A run
// that reports success with other memory would burn a wrong firmware unnoticed.

#include <gtest/gtest.h>

#include <random>

#include "bench/trials/ProgrammingTrial.h"

using namespace velmora;
using namespace velmora::firmware;

TEST(ProgrammingUnderFaults, NeverASuccessWithWrongMemory) {
    std::mt19937 rng(20261208);
    int successes = 0, failures = 0;
    for (int run = 0; run < 200; ++run) {
        sim::FaultPlan faults;
        // A few percent of the replies lost or corrupted, at a different phase each run.
        faults.dropEvery = 20 + run % 13;
        faults.corruptEvery = 27 + run % 11;
        const uint8_t level = run % 2 == 1 ? 2 : 1;
        const auto images = sim::randomImage(rng, sim::kTrialBottom[level], {6, 8, 1});
        const sim::TrialResult t = sim::runProgrammingTrial(*images, level, false, faults);
        if (t.run.ok()) {
            ++successes;
            EXPECT_EQ(t.verdict, sim::TrialVerdict::Success) << "run " << run;
        } else {
            ++failures;
        }
        EXPECT_TRUE(t.engineFree);
    }
    // Both ends are exercised: retries carry most runs through, some give up.
    EXPECT_GT(successes, 0);
    RecordProperty("successes", successes);
    RecordProperty("failures", failures);
}

TEST(ProgrammingUnderFaults, RandomLineFaultsWithVerifyNeverPassWrongMemory) {
    // Runs of EEPROM cells as HEX files give them; a byte written into the wrong cell
    // changes memory outside the image even when every cell of the image is right.
    std::mt19937 rng(7);
    int successes = 0;
    for (uint32_t run = 0; run < 400; ++run) {
        sim::FaultPlan faults;
        faults.random.share = 0.05;
        faults.random.seed = 1000 + run;
        const uint8_t level = run % 2 == 1 ? 2 : 1;
        const auto images = sim::randomImage(rng, sim::kTrialBottom[level], {2, 2, 12});
        const sim::TrialResult t = sim::runProgrammingTrial(*images, level, true, faults);
        if (!t.run.ok()) continue;
        ++successes;
        EXPECT_EQ(t.verdict, sim::TrialVerdict::Success) << "run " << run;
        EXPECT_TRUE(t.restKept) << "run " << run << ", level " << int(level);
    }
    EXPECT_GT(successes, 200);
}
