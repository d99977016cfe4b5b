#pragma once
// What a programming, erase or backup run addresses and reports through. The run is
// plain C++ on the transaction engine; the window and the command-line program give it
// their own progress display, stop button and log.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "access/ModuleLink.h"
#include "link/TransactionEngine.h"

namespace velmora::firmware {

// The module a run addresses and the bottom of the Flash it may write.
struct FirmwareTarget : access::ModuleAddress {
    uint16_t flashBottom = 0x2000;  // an i2c module is never written below it
};

struct Progress {
    size_t blocksDone = 0, blocksTotal = 0;
    size_t eepromDone = 0, eepromTotal = 0;
    uint16_t address = 0;  // the block or cell at work
};

struct RunHooks {
    std::function<void(const Progress&)> progress;
    std::function<bool()> stopRequested;
};

enum class RunOutcome {
    Success,
    Failed,    // a transaction failed: `code` says how
    Stopped,   // the user stopped it
    Mismatch,  // what the module holds differs from the image at `address`
    Unsteady,  // two readings of the same bytes differed at `address`
};

struct RunResult {
    RunOutcome outcome = RunOutcome::Success;
    uint16_t address = 0;  // where it failed or stopped
    uint16_t code = 0;     // the failing transaction's result
    bool inEeprom = false; // `address` is an EEPROM address
    bool ok() const { return outcome == RunOutcome::Success; }
};

// The module's transactions, with the run's target.
class ModuleLink : public access::ModuleLink {
public:
    ModuleLink(link::TransactionEngine& engine, const FirmwareTarget& target)
        : access::ModuleLink(engine, target), target_(target) {}
    const FirmwareTarget& target() const { return target_; }

private:
    FirmwareTarget target_;
};

}  // namespace velmora::firmware
