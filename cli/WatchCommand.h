#pragma once
// `velmora-cli watch CID ADDR COUNT [--slave S] [--period MS]`: a RAM variable read as
// the watch list reads it, one time-stamped line per pass, until interrupted.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/TransactionEngine.h"
#include "tools/RamVariableRead.h"

namespace velmora::cli {

struct WatchRequest {
    tools::RamVariable variable;
    uint32_t periodMs = 500;  // the watch list's own default
};

// CID, ADDR and S in hexadecimal, COUNT 1..8 as in the watch list, MS in decimal.
std::optional<WatchRequest> parseWatchWords(const std::vector<std::string>& words,
                                            std::string& error);

// Time of day of a pass, to the millisecond.
struct ClockTime {
    int hour = 0, minute = 0, second = 0, ms = 0;
};
ClockTime clockTimeNow();

// "HH:MM:SS.mmm XX XX ..." after a read, or the time and the watch list's error text.
std::string watchPassLine(const ClockTime& at, const tools::RamVariable& v,
                          const tools::VariableRead& read);

struct WatchHooks {
    std::function<ClockTime()> now = clockTimeNow;
    std::function<bool()> stop;  // asked before each pass and after each wait
};

// Passes every `periodMs` until `stop` says so; the wait dispatches events (sleeps).
// Exit status 0.
int runWatch(link::TransactionEngine& engine, const WatchRequest& request, std::FILE* out,
             const WatchHooks& hooks);

// Makes SIGINT and SIGTERM end the watch after the current pass; the returned flag
// says when one came.
std::function<bool()> interruptFlag();

}  // namespace velmora::cli
