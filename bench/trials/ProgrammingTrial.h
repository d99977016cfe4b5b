#pragma once
// One programming run against the built-in simulated network on the fake-clock line,
// under a fault plan, and its judgement: a run either reports its failure or leaves the
// module holding the image. The fault test and the fault benchmark both run these.

#include <cstdint>
#include <memory>
#include <random>

#include "firmware/FirmwareImages.h"
#include "firmware/FirmwareTarget.h"
#include "sim/ModuleNetwork.h"
#include "sim/SimModule.h"

namespace velmora::sim {

// How much a random image holds: whole 64-byte Flash blocks at random places, and runs
// of consecutive EEPROM cells, as a HEX file gives them.
struct ImageShape {
    unsigned flashBlocks = 6;
    unsigned eepromRuns = 2;
    unsigned eepromRunLength = 4;  // cells in each run
};

std::unique_ptr<firmware::FirmwareImages> randomImage(std::mt19937& rng, uint32_t bottom,
                                                      const ImageShape& shape);

// Every block the image gives from `firstBlock` on, and every EEPROM cell it gives,
// holds the image's bytes.
bool moduleHoldsImage(const SimModule& m, const firmware::FirmwareImages& images,
                      uint32_t firstBlock);

enum class TrialVerdict {
    Success,          // reported success, the memory holds the image
    ReportedFailure,  // the run said it failed
    FalseSuccess,     // reported success, the memory differs from the image
};

struct TrialResult {
    firmware::RunResult run;
    TrialVerdict verdict = TrialVerdict::ReportedFailure;
    bool holdsImage = false;  // whatever the run reported
    // Flash blocks the image leaves out and EEPROM cells it does not give are as they
    // were (the node's own start flag at EEPROM 0xFA..0xFB excepted).
    bool restKept = true;
    bool engineFree = true;
    FaultCounts faults;
    uint64_t lineMs = 0;  // time the run took on the fake clock
};

// Level 1 programs node 01 itself from 0x2000; level 2 its i2c module 10 from 0x4000.
inline constexpr uint32_t kTrialBottom[3] = {0, 0x2000, 0x4000};

TrialResult runProgrammingTrial(const firmware::FirmwareImages& images, uint8_t level,
                                bool verify, const FaultPlan& faults);

}  // namespace velmora::sim
