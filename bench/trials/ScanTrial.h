#pragma once
// `scan --nodes 1-4` under line faults, through the sweep velmora-cli runs, on a network
// of three nodes at 01, 03 and 04 with modules behind two of them. A node or module
// listed that is not there (or listed twice) is a phantom: the scan reported something
// that does not exist, a false success. One that is there and not listed is missing:
// a figure to watch, as a probe whose every answer was lost cannot find it.

#include "bench/trials/CommandTrial.h"

namespace velmora::sim {

struct ScanTrial : CommandTrial {
    unsigned missing = 0;  // nodes and modules present but not listed
    unsigned phantom = 0;  // listed but not present, or listed again
};

inline constexpr uint8_t kScanFirstNode = 1, kScanLastNode = 4;

// `setup.level` is not used; the memories are left as configured.
ScanTrial runScanTrial(const TrialSetup& setup);

}  // namespace velmora::sim
