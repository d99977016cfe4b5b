// The read and erase commands under line faults, judged against the simulator's memory:
// at 5 % of the replies spoilt, dropped, cut short or late, a command may fail but never
// report success with bytes the module does not hold; on a clean line every run
// succeeds. Both with replies that echo the request's header and with replies that fill
// those bytes with values of their own, which a module is free to do.

#include <gtest/gtest.h>

#include <functional>

#include "bench/trials/EraseTrial.h"
#include "bench/trials/ReadTrials.h"
#include "bench/trials/ScanTrial.h"
#include "bench/trials/WatchTrial.h"

using namespace velmora;
using sim::TrialVerdict;

namespace {

struct Command {
    const char* name;
    uint8_t level;
    std::function<sim::CommandTrial(const sim::TrialSetup&)> run;
};

const Command kCommands[] = {
    {"dump ram", 1, [](const sim::TrialSetup& s) { return sim::runDumpTrial(s, sim::DumpMemory::Ram); }},
    {"dump ram", 2, [](const sim::TrialSetup& s) { return sim::runDumpTrial(s, sim::DumpMemory::Ram); }},
    {"dump ee", 1, [](const sim::TrialSetup& s) { return sim::runDumpTrial(s, sim::DumpMemory::Eeprom); }},
    {"dump ee", 2, [](const sim::TrialSetup& s) { return sim::runDumpTrial(s, sim::DumpMemory::Eeprom); }},
    {"backup", 1, sim::runBackupTrial},
    {"backup", 2, sim::runBackupTrial},
    {"ident", 1, sim::runIdentTrial},
    {"ident", 2, sim::runIdentTrial},
    {"scan", 0, [](const sim::TrialSetup& s) -> sim::CommandTrial { return sim::runScanTrial(s); }},
    {"watch", 1, [](const sim::TrialSetup& s) -> sim::CommandTrial { return sim::runWatchTrial(s); }},
    {"watch", 2, [](const sim::TrialSetup& s) -> sim::CommandTrial { return sim::runWatchTrial(s); }},
    {"erase", 1, [](const sim::TrialSetup& s) -> sim::CommandTrial { return sim::runEraseTrial(s); }},
    {"erase", 2, [](const sim::TrialSetup& s) -> sim::CommandTrial { return sim::runEraseTrial(s); }},
};

}  // namespace

TEST(CommandsUnderFaults, NoFalseSuccessAndEveryRunSucceedsOnACleanLine) {
    for (const Command& c : kCommands)
        for (const bool noEcho : {false, true})
            for (const unsigned percent : {5u, 0u})
                for (uint32_t seed = 1; seed <= 3; ++seed) {
                    sim::TrialSetup setup;
                    setup.level = c.level;
                    setup.seed = seed;
                    setup.faults.noEcho = noEcho;
                    setup.faults.random.share = percent / 100.0;
                    setup.faults.random.seed = 40 + seed;
                    const sim::CommandTrial t = c.run(setup);
                    SCOPED_TRACE(std::string(c.name) + " level " + std::to_string(c.level) +
                                 (noEcho ? ", no echo, " : ", echo, ") + std::to_string(percent) +
                                 " %, seed " + std::to_string(seed));
                    EXPECT_NE(t.verdict, TrialVerdict::FalseSuccess) << t.wrong;
                    EXPECT_TRUE(t.engineFree);
                    if (percent == 0) {
                        EXPECT_EQ(t.verdict, TrialVerdict::Success) << t.wrong;
                        EXPECT_EQ(t.changed, 0u);
                    }
                }
}
