#pragma once
// `velmora-cli watch CID ADDR COUNT [--slave S] [--period MS] [--csv FILE]`: a RAM
// variable read as the watch list reads it, one time-stamped line per pass, until
// interrupted; with --csv, what was read is also written to FILE as the watch list's
// "Сохранить в CSV..." writes it, whole, once the run ends.

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
    std::string csvPath{};    // empty: no CSV file
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
    std::function<uint64_t()> clockMs;  // the link's clock, for the CSV's times
    std::FILE* err = stderr;
};

// The passes a CSV file keeps: the last day's at 100 ms, so that a run left going for
// days holds its memory within bounds.
inline constexpr size_t kWatchCsvRows = 864000;

// Passes every `periodMs` until `stop` says so; the wait dispatches events (sleeps).
// Then the CSV file, when asked for, replaces FILE whole: a run stopped by a signal
// leaves a file of whole rows, never half a line. Exit status 0; 1 when the CSV file
// could not be written (the reason on `err`).
int runWatch(link::TransactionEngine& engine, const WatchRequest& request, std::FILE* out,
             const WatchHooks& hooks);

// Makes SIGINT and SIGTERM end the watch after the current pass; the returned flag
// says when one came.
std::function<bool()> interruptFlag();

}  // namespace velmora::cli
