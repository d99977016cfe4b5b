#pragma once
// What the read and erase trials share: one command run through the routine the
// command-line program uses, against the simulated network on the fake-clock line,
// under a fault plan, and judged against the simulator's memory, never through the
// program. A run that reports success must have given the module's own bytes.

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/FirmwareTarget.h"
#include "sim/ModuleNetwork.h"
#include "bench/trials/ProgrammingTrial.h"
#include "sim/SimulatedLine.h"

namespace velmora::sim {

struct TrialSetup {
    uint8_t level = 1;   // 1: node 01 itself, 2: its i2c module 10
    FaultPlan faults;
    uint32_t seed = 1;   // the module's memory contents and the command's arguments
    bool keepLog = false;  // keep the protocol log, for a run worth a closer look
};

inline constexpr uint8_t kTrialNode = 0x01;
inline constexpr uint8_t kTrialSlave = 0x10;

struct CommandTrial {
    bool reportedOk = false;  // the command would exit 0
    TrialVerdict verdict = TrialVerdict::ReportedFailure;
    std::string wrong;        // what a false success got wrong, first difference
    // A RAM read at an i2c module whose only wrong byte is REG_PAGE (0x51): the window's
    // page shown instead of the module's own, a fault of the view and not of the line.
    bool onlyRegPage = false;
    // Bytes of the module that differ afterwards: for an erase those outside its range,
    // for a read any at all (a window page not put back, say).
    unsigned changed = 0;
    bool engineFree = true;
    FaultCounts faults;
    uint64_t lineMs = 0;
    std::vector<std::string> log;  // the protocol log when asked for
};

// Node 01 and the modules behind it on the fake-clock line, faults set, log off unless
// asked for.
class TrialLine {
public:
    TrialLine(const TrialSetup& setup, std::string_view config);
    TrialLine(const TrialLine&) = delete;
    TrialLine& operator=(const TrialLine&) = delete;

    ModuleNetwork network;
    EngineRig rig{network};
    std::mt19937 rng;

    // The module the setup's level addresses.
    SimModule& target();
    // That module with its memories filled at random (fillMemory).
    SimModule& filledTarget();
    // The link to that module, Flash from the level's bottom address, as the firmware
    // commands address it.
    firmware::ModuleLink moduleLink();
    // Engine state, fault counts, line time and the log into `t`; the verdict from
    // `reportedOk` and whether the result was right.
    void finish(CommandTrial& t, bool right);

private:
    uint8_t level_;
    bool keepLog_;
    uint64_t start_;
};

// Every byte of RAM, EEPROM and Flash at random; at an i2c module REG_PAGE (RAM 0x51)
// on a page of its own (1..31), as a module's own use of the window leaves it.
void fillMemory(SimModule& m, std::mt19937& rng, bool subModule);

// Bytes that differ between two states of a module's memories.
struct MemoryCopy {
    explicit MemoryCopy(const SimModule& m)
        : ram(m.ram.begin(), m.ram.end()), eeprom(m.eeprom.begin(), m.eeprom.end()), flash(m.flash) {}
    std::vector<uint8_t> ram, eeprom, flash;
};
unsigned bytesChanged(const MemoryCopy& before, const SimModule& after);

// "RAM 0123: read 5A, module holds 3C".
std::string differenceText(const char* memory, uint32_t address, uint8_t read, uint8_t truth);

}  // namespace velmora::sim
