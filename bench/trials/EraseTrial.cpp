#include "bench/trials/EraseTrial.h"

#include "common/HexText.h"
#include "sim/SimConfig.h"

namespace velmora::sim {

namespace {

constexpr uint32_t kBlock = 64;

// One to three blocks touched; neither end on a block's edge.
firmware::EraseRange randomRange(uint32_t bottom, std::mt19937& rng) {
    firmware::EraseRange r;
    do {
        r.start = bottom + rng() % (kFlashSize - bottom);
        r.end = r.start + rng() % (3 * kBlock);
    } while (r.start % kBlock == 0 || r.end % kBlock == kBlock - 1 || r.end >= kFlashSize);
    return r;
}

}  // namespace

EraseTrial runEraseTrial(const TrialSetup& setup) {
    TrialLine line(setup, defaultConfig());
    SimModule& m = line.filledTarget();
    const MemoryCopy before(m);
    const uint32_t bottom = kTrialBottom[setup.level];
    EraseTrial t;
    t.range = randomRange(bottom, line.rng);
    firmware::ModuleLink link = line.moduleLink();
    const firmware::RunResult r = firmware::eraseFlash(link, t.range, {});

    t.reportedOk = r.ok();
    bool right = true;
    for (uint32_t a = 0; a < kFlashSize; ++a) {
        const bool inside = a >= t.range.start && a <= t.range.end;
        if (inside && m.flash[a] != 0xFF && right) {
            right = false;
            t.wrong = "Flash " + hexNumber(a, 4) + " holds " + hexNumber(m.flash[a], 2) + ", not erased";
        }
        if (!inside && m.flash[a] != before.flash[a] && t.changed++ == 0) t.firstChanged = a;
    }
    line.finish(t, right);
    return t;
}

}  // namespace velmora::sim
