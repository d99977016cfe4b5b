// Programming with verify under random line faults: every run, at a node and at an i2c
// module behind it, must end in a reported failure or with the module holding the image.
// A run that reports success over other memory is a false success, and so is one that
// also changed memory outside the image; the exit status is 1 when there is one, 3 when
// a run stops making progress (a hang).
//
//   velmora_fault_bench [--runs N] [--percent P] [--seed S]
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

#include "link/ReplyCodes.h"
#include "sim/ProgrammingTrial.h"

using namespace velmora;

namespace {

struct Options {
    unsigned runs = 1000;
    unsigned percent = 5;
    uint32_t seed = 20261208;
};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        char* end = nullptr;
        const unsigned long n = std::strtoul(argv[i + 1], &end, 10);
        if (*end != '\0' || end == argv[i + 1]) return false;
        if (name == "--runs")
            o.runs = static_cast<unsigned>(n);
        else if (name == "--percent" && n <= 100)
            o.percent = static_cast<unsigned>(n);
        else if (name == "--seed")
            o.seed = static_cast<uint32_t>(n);
        else
            return false;
    }
    return argc % 2 == 1;
}

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

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: velmora_fault_bench [--runs N] [--percent P] [--seed S]\n");
        return 2;
    }
    std::atomic<unsigned> progress{0};
    std::atomic<bool> done{false};
    // The fake clock never waits, so a run that takes seconds of real time is stuck.
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

    std::mt19937 rng(o.seed);
    LevelFigures levels[3];
    sim::FaultCounts faults;
    const auto start = std::chrono::steady_clock::now();
    for (unsigned run = 0; run < o.runs; ++run) {
        const uint8_t level = run % 2 == 0 ? 1 : 2;
        const auto images = sim::randomImage(rng, sim::kTrialBottom[level], shapeFor(run, rng));
        sim::FaultPlan plan;
        plan.random.share = o.percent / 100.0;
        plan.random.seed = o.seed + run;
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
        faults.replies += t.faults.replies;
        faults.dropped += t.faults.dropped;
        faults.corrupted += t.faults.corrupted;
        faults.truncated += t.faults.truncated;
        faults.late += t.faults.late;
        progress.store(run + 1);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    done = true;
    watchdog.join();

    std::printf("Programming with verify under random line faults: %u runs, %u %% of the replies "
                "faulted, seed %u\n",
                o.runs, o.percent, o.seed);
    printLevel(1, levels[1]);
    printLevel(2, levels[2]);
    std::printf("faults injected: %u of %u replies (%.2f %%): dropped %u, CRC spoilt %u, cut short "
                "%u, late %u\n",
                faults.faulted(), faults.replies,
                faults.replies ? 100.0 * faults.faulted() / faults.replies : 0.0, faults.dropped,
                faults.corrupted, faults.truncated, faults.late);
    std::printf("wall time: %.1f s\n", seconds);
    // A success that wrote beyond the image spoilt memory nobody asked to change.
    const unsigned wrong = levels[1].falseSuccesses + levels[2].falseSuccesses +
                           levels[1].restChangedInSuccess + levels[2].restChangedInSuccess;
    return wrong ? 1 : 0;
}
