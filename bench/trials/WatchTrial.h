#pragma once
// `watch` under line faults, through the pass loop velmora-cli runs, for a few periods.
// The variable's bytes change between passes, as a running module's do, so a value
// left over from an earlier pass, or a reply to another request, shows as wrong. Every
// value a pass prints must be the module's RAM during that pass; a pass may instead
// print the watch list's error text.

#include "bench/trials/CommandTrial.h"

namespace velmora::sim {

struct WatchTrial : CommandTrial {
    unsigned passes = 0;       // lines printed
    unsigned values = 0;       // right values among them
    unsigned faultLines = 0;   // passes that said their read failed
    unsigned wrongValues = 0;  // values that were not the module's
};

inline constexpr unsigned kWatchPasses = 5;
// The command's default period, and shorter ones (--period) that let a reply too late
// for one pass reach the next.
inline constexpr uint32_t kWatchPeriodsMs[] = {500, 100, 20};

// A variable of 1..8 bytes at a random address (at the i2c module not over REG_PAGE),
// the period one of the above by the seed.
// Reported success: every pass printed a value; a single wrong value is a false success.
WatchTrial runWatchTrial(const TrialSetup& setup);

}  // namespace velmora::sim
