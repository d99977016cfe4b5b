#include "bench/trials/CommandTrial.h"

#include "common/HexText.h"
#include "sim/SimConfig.h"

namespace velmora::sim {

TrialLine::TrialLine(const TrialSetup& setup, std::string_view config)
    : rng(setup.seed), level_(setup.level), keepLog_(setup.keepLog) {
    std::string error;
    loadConfig(config, network, error);
    network.setFaults(setup.faults);
    rig.log.on = setup.keepLog;
    start_ = rig.line.clock().now;
}

SimModule& TrialLine::target() {
    SimNode& node = *network.node(kTrialNode);
    return level_ == 2 ? *node.subModule(kTrialSlave) : node.module();
}

SimModule& TrialLine::filledTarget() {
    SimModule& m = target();
    fillMemory(m, rng, level_ == 2);
    return m;
}

firmware::ModuleLink TrialLine::moduleLink() {
    return firmware::ModuleLink(rig.engine, {kTrialNode, level_ == 2 ? kTrialSlave : uint8_t{0},
                                             level_, static_cast<uint16_t>(kTrialBottom[level_])});
}

void TrialLine::finish(CommandTrial& t, bool right) {
    if (!t.reportedOk)
        t.verdict = TrialVerdict::ReportedFailure;
    else
        t.verdict = right ? TrialVerdict::Success : TrialVerdict::FalseSuccess;
    t.engineFree = rig.engine.isFree();
    t.faults = network.faultCounts();
    t.lineMs = rig.line.clock().now - start_;
    if (keepLog_)
        for (const auto& line : rig.log.lines) t.log.push_back(line.text);
}

void fillMemory(SimModule& m, std::mt19937& rng, bool subModule) {
    std::uniform_int_distribution<int> byte(0, 255);
    for (uint8_t& b : m.ram) b = static_cast<uint8_t>(byte(rng));
    for (uint8_t& b : m.eeprom) b = static_cast<uint8_t>(byte(rng));
    for (uint8_t& b : m.flash) b = static_cast<uint8_t>(byte(rng));
    if (subModule) m.ram[kRegPage] = static_cast<uint8_t>(1 + byte(rng) % 31);
}

unsigned bytesChanged(const MemoryCopy& before, const SimModule& after) {
    unsigned n = 0;
    for (size_t a = 0; a < before.ram.size(); ++a) n += before.ram[a] != after.ram[a];
    for (size_t a = 0; a < before.eeprom.size(); ++a) n += before.eeprom[a] != after.eeprom[a];
    for (size_t a = 0; a < before.flash.size(); ++a) n += before.flash[a] != after.flash[a];
    return n;
}

std::string differenceText(const char* memory, uint32_t address, uint8_t read, uint8_t truth) {
    return std::string(memory) + " " + hexNumber(address, 4) + ": read " + hexNumber(read, 2) +
           ", module holds " + hexNumber(truth, 2);
}

}  // namespace velmora::sim
