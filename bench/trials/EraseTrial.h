#pragma once
// `erase` under line faults, through eraseFlash as velmora-cli runs it, of a range that
// starts and ends inside a 64-byte block, at node 01 (bottom 2000) or its i2c module 10
// (bottom 4000). Flash is filled at random first. A reported success must leave the
// range erased (FF); whatever the outcome, no byte outside the range may change.

#include "firmware/FlashEraser.h"
#include "bench/trials/CommandTrial.h"

namespace velmora::sim {

struct EraseTrial : CommandTrial {
    firmware::EraseRange range;
    // `changed` counts Flash bytes outside the range that differ afterwards; this is
    // the first of them.
    uint32_t firstChanged = 0;
};

EraseTrial runEraseTrial(const TrialSetup& setup);

}  // namespace velmora::sim
