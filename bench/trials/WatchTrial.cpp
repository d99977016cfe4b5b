#include "bench/trials/WatchTrial.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "access/MemoryMap.h"
#include "cli/WatchCommand.h"
#include "sim/SimConfig.h"
#include "tools/RamVariableRead.h"

namespace velmora::sim {

namespace {

tools::RamVariable randomVariable(const TrialSetup& setup, std::mt19937& rng) {
    tools::RamVariable v;
    v.owner = access::moduleAt(kTrialNode, setup.level == 2 ? kTrialSlave : 0);
    v.count = static_cast<uint16_t>(1 + rng() % 8);
    do v.address = static_cast<uint16_t>(rng() % (access::kRamEnd - v.count + 1));
    while (setup.level == 2 && v.address <= kRegPage && v.address + v.count > kRegPage);
    return v;
}

std::vector<std::string> lines(const char* text, size_t size) {
    std::vector<std::string> out;
    std::string line;
    for (size_t i = 0; i < size; ++i) {
        if (text[i] != '\n') {
            line += text[i];
            continue;
        }
        out.push_back(line);
        line.clear();
    }
    if (!line.empty()) out.push_back(line);
    return out;
}

}  // namespace

WatchTrial runWatchTrial(const TrialSetup& setup) {
    TrialLine line(setup, defaultConfig());
    SimModule& m = line.filledTarget();
    MemoryCopy before(m);
    cli::WatchRequest request;
    request.variable = randomVariable(setup, line.rng);
    request.periodMs = kWatchPeriodsMs[setup.seed % std::size(kWatchPeriodsMs)];
    const tools::RamVariable& v = request.variable;
    auto value = [&] { return std::vector<uint8_t>(m.ram.begin() + v.address,
                                                   m.ram.begin() + v.address + v.count); };

    // The loop asks `stop` before each pass and again after it, before the wait: the
    // module changes the variable then, and what the next pass must show is noted.
    std::vector<std::vector<uint8_t>> truth{value()};
    unsigned asked = 0;
    cli::WatchHooks hooks;
    hooks.now = [] { return cli::ClockTime{}; };
    hooks.stop = [&] {
        if (asked++ % 2 == 0) return truth.size() > kWatchPasses;
        for (uint16_t i = 0; i < v.count; ++i)
            m.ram[v.address + i] = static_cast<uint8_t>(line.rng());
        truth.push_back(value());
        return false;
    };
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    cli::runWatch(line.rig.engine, request, out, hooks);
    std::fclose(out);
    const std::vector<std::string> printed = lines(text, size);
    std::free(text);

    WatchTrial t;
    const cli::ClockTime at{};
    const std::string pageFault = cli::watchPassLine(at, v, {tools::VariableFault::Page, {}});
    const std::string readFault = cli::watchPassLine(at, v, {tools::VariableFault::Read, {}});
    for (size_t pass = 0; pass < printed.size(); ++pass) {
        const std::string& p = printed[pass];
        ++t.passes;
        if (pass < truth.size() && p == cli::watchPassLine(at, v, {tools::VariableFault::None, truth[pass]}))
            ++t.values;
        else if (p == pageFault || p == readFault)
            ++t.faultLines;
        else {
            ++t.wrongValues;
            if (t.wrong.empty())
                t.wrong = "pass " + std::to_string(pass + 1) + " printed \"" + p + "\", module holds \"" +
                          cli::watchPassLine(at, v, {tools::VariableFault::None, truth[pass]}) + "\"";
        }
    }
    t.reportedOk = t.faultLines == 0;
    for (uint16_t i = 0; i < v.count; ++i) before.ram[v.address + i] = m.ram[v.address + i];
    t.changed = bytesChanged(before, m);
    line.finish(t, t.wrongValues == 0);
    // A wrong value is a false success even in a run whose other passes failed.
    if (t.wrongValues) t.verdict = TrialVerdict::FalseSuccess;
    if (t.passes != kWatchPasses && t.wrong.empty()) {
        t.verdict = TrialVerdict::FalseSuccess;
        t.wrong = std::to_string(t.passes) + " passes printed, " + std::to_string(kWatchPasses) + " asked";
    }
    return t;
}

}  // namespace velmora::sim
