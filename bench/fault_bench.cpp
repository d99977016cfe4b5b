// Commands under random line faults, each run judged against the simulator's memory and
// never through the program. Programming with verify, at a node and at an i2c module
// behind it, must end in a reported failure or with the module holding the image; a run
// that reports success over other memory is a false success, and so is one that also
// changed memory outside the image. Then `dump`, `backup`, `ident`, `scan`, `watch` and
// `erase`, through the routines velmora-cli runs for them: a reported success must have
// given the module's own bytes (erase: left its range erased), and an erase may change
// no byte outside its range whatever it reports. The exit status is 1 when there is a
// false success or such a change, 3 when a run stops making progress (a hang).
//
//   velmora_fault_bench [--runs N] [--percent P] [--seed S] [--only COMMAND]
//                       [--no-echo | --both] [--show-log]
//
// The line is the fake-clock simulated line, so the figures do not depend on the machine
// and a seed repeats a run exactly.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "link/ReplyCodes.h"
#include "bench/trials/EraseTrial.h"
#include "bench/trials/ProgrammingTrial.h"
#include "bench/trials/ReadTrials.h"
#include "bench/trials/ScanTrial.h"
#include "bench/trials/WatchTrial.h"

using namespace velmora;

namespace {

enum class EchoModes { Echo, NoEcho, Both };

struct Options {
    unsigned runs = 1000;
    unsigned percent = 5;
    uint32_t seed = 20261208;
    std::string only;  // one command, or all of them
    EchoModes echo = EchoModes::Echo;
    bool showLog = false;
};

const char* const kCommands[] = {"program", "dump", "backup", "ident", "scan", "watch", "erase"};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (name == "--no-echo" || name == "--both") {
            if (o.echo != EchoModes::Echo) return false;
            o.echo = name == "--both" ? EchoModes::Both : EchoModes::NoEcho;
            continue;
        }
        if (name == "--show-log") {
            o.showLog = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        if (name == "--only") {
            bool known = false;
            for (const char* c : kCommands) known = known || std::string_view(c) == value;
            if (!known) return false;
            o.only = value;
            continue;
        }
        char* end = nullptr;
        const unsigned long n = std::strtoul(value, &end, 10);
        if (*end != '\0' || end == value) return false;
        if (name == "--runs")
            o.runs = static_cast<unsigned>(n);
        else if (name == "--percent" && n <= 100)
            o.percent = static_cast<unsigned>(n);
        else if (name == "--seed")
            o.seed = static_cast<uint32_t>(n);
        else
            return false;
    }
    return true;
}

bool wanted(const Options& o, const char* command) {
    return o.only.empty() || o.only == command;
}

// The fake clock never waits, so a run that takes seconds of real time is stuck.
std::atomic<unsigned> progress{0};

void addFaults(sim::FaultCounts& into, const sim::FaultCounts& f) {
    into.replies += f.replies;
    into.dropped += f.dropped;
    into.corrupted += f.corrupted;
    into.truncated += f.truncated;
    into.late += f.late;
}

void printFaults(const sim::FaultCounts& faults) {
    std::printf("faults injected: %u of %u replies (%.2f %%): dropped %u, CRC spoilt %u, cut short "
                "%u, late %u\n",
                faults.faulted(), faults.replies,
                faults.replies ? 100.0 * faults.faulted() / faults.replies : 0.0, faults.dropped,
                faults.corrupted, faults.truncated, faults.late);
}

sim::FaultPlan faultPlan(const Options& o, bool noEcho, unsigned run) {
    sim::FaultPlan plan;
    plan.noEcho = noEcho;
    plan.random.share = o.percent / 100.0;
    plan.random.seed = o.seed + run;
    return plan;
}

// ---- programming with verify -------------------------------------------------------

std::string failureKind(const firmware::RunResult& r) {
    switch (r.outcome) {
        case firmware::RunOutcome::Mismatch:
            return "verify found a difference";
        case firmware::RunOutcome::Stopped:
            return "stopped";
        case firmware::RunOutcome::Unsteady:
            return "two readings differed";
        case firmware::RunOutcome::Failed:
        case firmware::RunOutcome::Success:
            break;
    }
    return "result " + std::to_string(r.code) + " (" + link::replyMessage(r.code) + ")";
}

struct LevelFigures {
    unsigned runs = 0, successes = 0, falseSuccesses = 0, engineLeftBusy = 0;
    unsigned restChanged = 0, restChangedInSuccess = 0;
    unsigned mismatchOverGoodMemory = 0;  // verify differed, the module holds the image
    std::map<std::string, unsigned> failures;
    uint64_t lineMs = 0;
};

// Most images are small so a thousand runs stay quick; every 25th is a large one.
sim::ImageShape shapeFor(unsigned run, std::mt19937& rng) {
    if (run % 25 == 0) return {48, 4, 64};
    std::uniform_int_distribution<unsigned> blocks(1, 4), runs(1, 3), length(1, 16);
    return {blocks(rng), runs(rng), length(rng)};
}

void printLevel(int level, const LevelFigures& f) {
    unsigned failed = 0;
    for (const auto& [kind, n] : f.failures) failed += n;
    std::printf("level %d (%s): %u runs, %.1f h on the line\n", level,
                level == 1 ? "node 01, writeImageModbus" : "i2c module 10 behind node 01, writeImageI2c",
                f.runs, static_cast<double>(f.lineMs) / 3.6e6);
    std::printf("  success, memory holds the image : %u\n", f.successes);
    std::printf("  reported failure                : %u\n", failed);
    for (const auto& [kind, n] : f.failures) std::printf("    %-30s: %u\n", kind.c_str(), n);
    std::printf("    of the differences, the module held the image: %u\n", f.mismatchOverGoodMemory);
    std::printf("  FALSE SUCCESS                   : %u\n", f.falseSuccesses);
    std::printf("  memory outside the image changed: %u (%u of them reported success)\n",
                f.restChanged, f.restChangedInSuccess);
    std::printf("  link left busy                  : %u\n", f.engineLeftBusy);
}

// Number of runs that went wrong.
unsigned benchProgramming(const Options& o, bool noEcho) {
    std::mt19937 rng(o.seed);
    LevelFigures levels[3];
    sim::FaultCounts faults;
    for (unsigned run = 0; run < o.runs; ++run) {
        const uint8_t level = run % 2 == 0 ? 1 : 2;
        const auto images = sim::randomImage(rng, sim::kTrialBottom[level], shapeFor(run, rng));
        const sim::FaultPlan plan = faultPlan(o, noEcho, run);
        const sim::TrialResult t = sim::runProgrammingTrial(*images, level, true, plan);

        LevelFigures& f = levels[level];
        ++f.runs;
        f.lineMs += t.lineMs;
        switch (t.verdict) {
            case sim::TrialVerdict::Success:
                ++f.successes;
                break;
            case sim::TrialVerdict::ReportedFailure:
                ++f.failures[failureKind(t.run)];
                if (t.run.outcome == firmware::RunOutcome::Mismatch && t.holdsImage)
                    ++f.mismatchOverGoodMemory;
                break;
            case sim::TrialVerdict::FalseSuccess:
                ++f.falseSuccesses;
                std::printf("FALSE SUCCESS: run %u, level %d, fault seed %u\n", run, level,
                            plan.random.seed);
                break;
        }
        if (!t.restKept) {
            ++f.restChanged;
            if (t.run.ok()) ++f.restChangedInSuccess;
            std::printf("memory outside the image changed: run %u, level %d, %s, fault seed %u\n",
                        run, level, t.run.ok() ? "reported success" : "reported failure",
                        plan.random.seed);
        }
        if (!t.engineFree) ++f.engineLeftBusy;
        addFaults(faults, t.faults);
        progress.fetch_add(1);
    }
    std::printf("Programming with verify under random line faults: %u runs, %u %% of the replies "
                "faulted, seed %u\n",
                o.runs, o.percent, o.seed);
    printLevel(1, levels[1]);
    printLevel(2, levels[2]);
    printFaults(faults);
    // A success that wrote beyond the image spoilt memory nobody asked to change.
    return levels[1].falseSuccesses + levels[2].falseSuccesses + levels[1].restChangedInSuccess +
           levels[2].restChangedInSuccess;
}

// ---- the other commands --------------------------------------------------------------

enum class Kind { DumpRam, DumpEeprom, Backup, Ident, Scan, Watch, Erase };

struct Row {
    const char* command;  // as --only names it
    const char* label;
    Kind kind;
    uint8_t level;  // 0: the network (scan)
};

const Row kRows[] = {
    {"dump", "dump ram, 16 pages", Kind::DumpRam, 1},
    {"dump", "dump ee, 4 pages", Kind::DumpEeprom, 1},
    {"dump", "dump ram, 16 pages", Kind::DumpRam, 2},
    {"dump", "dump ee, 4 pages", Kind::DumpEeprom, 2},
    {"backup", "backup from 2000", Kind::Backup, 1},
    {"backup", "backup from 4000", Kind::Backup, 2},
    {"ident", "ident", Kind::Ident, 1},
    {"ident", "ident", Kind::Ident, 2},
    {"scan", "scan --nodes 1-4", Kind::Scan, 0},
    {"watch", "watch, 5 passes", Kind::Watch, 1},
    {"watch", "watch, 5 passes", Kind::Watch, 2},
    {"erase", "erase, 1-3 blocks", Kind::Erase, 1},
    {"erase", "erase, 1-3 blocks", Kind::Erase, 2},
};

struct RowFigures {
    unsigned runs = 0, successes = 0, failures = 0, falseSuccesses = 0, busy = 0;
    unsigned changedRuns = 0, changedBytes = 0;
    unsigned onlyRegPage = 0;                      // dump ram at the module
    unsigned missingRuns = 0, missing = 0, phantom = 0;  // scan
    unsigned passes = 0, values = 0, faultLines = 0, wrongValues = 0;  // watch
    uint64_t lineMs = 0;
    std::vector<std::string> examples;  // the first false successes and changes
};

std::string hex4(uint32_t v) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", v);
    return text;
}

// Runs one trial; the result sliced to what every command has, the rest added to `f`.
sim::CommandTrial runRow(const Row& row, const sim::TrialSetup& setup, RowFigures& f,
                         std::string& detail) {
    switch (row.kind) {
        case Kind::DumpRam:
        case Kind::DumpEeprom: {
            sim::CommandTrial t = sim::runDumpTrial(
                setup, row.kind == Kind::DumpRam ? sim::DumpMemory::Ram : sim::DumpMemory::Eeprom);
            f.onlyRegPage += t.onlyRegPage;
            return t;
        }
        case Kind::Backup:
            return sim::runBackupTrial(setup);
        case Kind::Ident:
            return sim::runIdentTrial(setup);
        case Kind::Scan: {
            const sim::ScanTrial t = sim::runScanTrial(setup);
            f.missingRuns += t.missing > 0;
            f.missing += t.missing;
            f.phantom += t.phantom;
            return t;
        }
        case Kind::Watch: {
            const sim::WatchTrial t = sim::runWatchTrial(setup);
            f.passes += t.passes;
            f.values += t.values;
            f.faultLines += t.faultLines;
            f.wrongValues += t.wrongValues;
            return t;
        }
        case Kind::Erase: {
            const sim::EraseTrial t = sim::runEraseTrial(setup);
            if (t.changed)
                detail = "erase " + hex4(t.range.start) + "-" + hex4(t.range.end) +
                         ", first at " + hex4(t.firstChanged);
            return t;
        }
    }
    return {};
}

std::string levelName(uint8_t level) {
    return level == 0 ? "nodes 01-04" : level == 1 ? "node 01" : "i2c 10";
}

void printLog(const sim::CommandTrial& t) {
    std::printf("    protocol log of the run (%zu lines):\n", t.log.size());
    for (const std::string& line : t.log) std::printf("      %s\n", line.c_str());
}

unsigned benchCommands(const Options& o, bool noEcho) {
    std::vector<RowFigures> figures(std::size(kRows));
    sim::FaultCounts faults;
    for (size_t r = 0; r < std::size(kRows); ++r) {
        const Row& row = kRows[r];
        if (!wanted(o, row.command)) continue;
        RowFigures& f = figures[r];
        for (unsigned run = 0; run < o.runs; ++run) {
            sim::TrialSetup setup;
            setup.level = row.level;
            setup.faults = faultPlan(o, noEcho, run);
            setup.seed = (o.seed + run) ^ 0x5EEDu;
            std::string detail;
            const sim::CommandTrial t = runRow(row, setup, f, detail);
            ++f.runs;
            f.lineMs += t.lineMs;
            f.busy += !t.engineFree;
            addFaults(faults, t.faults);
            if (t.changed) {
                ++f.changedRuns;
                f.changedBytes += t.changed;
            }
            const bool firstExample = f.examples.empty();
            bool example = false;
            switch (t.verdict) {
                case sim::TrialVerdict::Success:
                    ++f.successes;
                    break;
                case sim::TrialVerdict::ReportedFailure:
                    ++f.failures;
                    break;
                case sim::TrialVerdict::FalseSuccess:
                    ++f.falseSuccesses;
                    // One example of the REG_PAGE byte is enough; the others may hide
                    // a line fault's.
                    example = !t.onlyRegPage || f.onlyRegPage == 1;
                    if (example && f.examples.size() < 5)
                        f.examples.push_back("FALSE SUCCESS: " + std::string(row.label) + ", " +
                                             levelName(row.level) + ", run " + std::to_string(run) +
                                             ", fault seed " + std::to_string(setup.faults.random.seed) +
                                             ": " + t.wrong);
                    break;
            }
            if (row.kind == Kind::Erase && t.changed) {
                example = true;
                if (f.examples.size() < 5)
                    f.examples.push_back("bytes outside the range changed: " + levelName(row.level) +
                                         ", run " + std::to_string(run) + ", fault seed " +
                                         std::to_string(setup.faults.random.seed) + ", " + detail +
                                         ": " + std::to_string(t.changed) + " bytes, " +
                                         (t.reportedOk ? "reported success" : "reported failure"));
            }
            if (example && o.showLog && firstExample && !f.examples.empty()) {
                std::printf("%s\n", f.examples.front().c_str());
                setup.keepLog = true;
                RowFigures scratch;
                std::string unused;
                printLog(runRow(row, setup, scratch, unused));
            }
            progress.fetch_add(1);
        }
    }

    std::printf("Commands under random line faults: %u runs each, %u %% of the replies faulted, "
                "seed %u\n",
                o.runs, o.percent, o.seed);
    std::printf("  %-20s %-11s %5s %7s %6s %7s %8s %5s %7s\n", "command", "level", "runs",
                "success", "failed", "FALSE", "changed", "busy", "line h");
    unsigned wrong = 0;
    for (size_t r = 0; r < std::size(kRows); ++r) {
        const RowFigures& f = figures[r];
        if (f.runs == 0) continue;
        const Row& row = kRows[r];
        std::printf("  %-20s %-11s %5u %7u %6u %7u %8u %5u %7.1f\n", row.label,
                    levelName(row.level).c_str(), f.runs, f.successes, f.failures,
                    f.falseSuccesses, f.changedRuns, f.busy, static_cast<double>(f.lineMs) / 3.6e6);
        wrong += f.falseSuccesses;
        if (row.kind == Kind::Erase) wrong += f.changedRuns;
    }
    std::printf("  success: reported and right; failed: reported failure; FALSE: reported success "
                "with wrong bytes (scan: a phantom listed; watch: any wrong value); changed: runs "
                "that left module bytes changed (erase: Flash outside its range; a read: any byte); "
                "busy: link left busy; a run named below is repeated by --seed <its fault seed> "
                "--runs 1 --only <command>\n");
    for (size_t r = 0; r < std::size(kRows); ++r) {
        const RowFigures& f = figures[r];
        const Row& row = kRows[r];
        if (f.runs == 0) continue;
        if (row.kind == Kind::DumpRam && row.level == 2)
            std::printf("  dump ram at i2c 10: false successes whose only wrong byte is REG_PAGE "
                        "(0x51): %u\n",
                        f.onlyRegPage);
        if (row.kind == Kind::Scan)
            std::printf("  scan: %u runs with nodes or modules missing, %u missing in all, %u "
                        "phantom\n",
                        f.missingRuns, f.missing, f.phantom);
        if (row.kind == Kind::Watch)
            std::printf("  watch at %s: %u passes, %u right values, %u error lines, %u wrong "
                        "values\n",
                        levelName(row.level).c_str(), f.passes, f.values, f.faultLines,
                        f.wrongValues);
        if (row.kind == Kind::Erase)
            std::printf("  erase at %s: %u bytes outside the range changed in all\n",
                        levelName(row.level).c_str(), f.changedBytes);
    }
    printFaults(faults);
    for (const RowFigures& f : figures)
        for (const std::string& e : f.examples) std::printf("%s\n", e.c_str());
    return wrong;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: velmora_fault_bench [--runs N] [--percent P] [--seed S] "
                     "[--only program|dump|backup|ident|scan|watch|erase] [--no-echo | --both] "
                     "[--show-log]\n"
                     "  N runs (default 1000) of each command at each level; --no-echo: replies "
                     "fill bytes 2..4\n  with values of their own; --both: with and without; "
                     "--show-log: the protocol log of the\n  first false success of each command\n");
        return 2;
    }
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
        unsigned seen = progress.load();
        int still = 0;
        while (!done.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const unsigned now = progress.load();
            still = now == seen ? still + 1 : 0;
            seen = now;
            if (still == 300) {
                std::fprintf(stderr, "run %u made no progress for 30 s: a hang\n", now);
                std::fflush(stderr);
                std::_Exit(3);
            }
        }
    });

    const auto start = std::chrono::steady_clock::now();
    unsigned wrong = 0;
    for (const bool noEcho : {false, true}) {
        if (noEcho ? o.echo == EchoModes::Echo : o.echo == EchoModes::NoEcho) continue;
        std::printf("=== %s ===\n", noEcho ? "replies fill bytes 2..4 with values of their own (--no-echo)"
                                          : "replies echo bytes 2..4 of the request");
        if (wanted(o, "program")) wrong += benchProgramming(o, noEcho);
        if (o.only != "program") wrong += benchCommands(o, noEcho);
        std::fflush(stdout);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    done = true;
    watchdog.join();
    std::printf("wall time: %.1f s\n", seconds);
    return wrong ? 1 : 0;
}
