#pragma once
// What a programming, erase or backup run addresses and reports through. The run is
// plain C++ on the transaction engine; the window and the command-line program give it
// their own progress display, stop button and log.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/TransactionEngine.h"

namespace velmora::firmware {

struct FirmwareTarget {
    uint8_t cid = 0;
    uint8_t slave = 0;
    uint8_t level = 0;             // 1: the node itself, 2: an i2c module behind it
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

// The transactions a run is made of, addressed to one node (and i2c module).
class ModuleLink {
public:
    ModuleLink(link::TransactionEngine& engine, const FirmwareTarget& target)
        : engine_(engine), target_(target) {}

    uint16_t wrI2C(uint8_t reg, const std::vector<uint8_t>& bytes, uint8_t retries);
    uint16_t rdI2C(uint8_t reg, uint16_t count, uint8_t retries);
    uint16_t node(uint8_t kind, uint16_t address, const std::vector<uint8_t>& bytes,
                  uint16_t count, uint8_t retries);
    const uint8_t* replyData() const { return engine_.state().ReplyData.data(); }
    void pause(uint32_t ms) { engine_.pause(ms); }
    link::TransactionEngine& engine() { return engine_; }
    const FirmwareTarget& target() const { return target_; }

private:
    link::TransactionEngine& engine_;
    FirmwareTarget target_;
};

inline constexpr uint8_t kRegUser = 0x50;
inline constexpr uint8_t kRegPageRegister = 0x51;
inline constexpr uint8_t kRegFlashAddress = 0xF6;
inline constexpr uint8_t kRegFlashData = 0xF5;
inline constexpr uint8_t kRegFlashControl = 0xA6;
inline constexpr uint8_t kRegEepromAddress = 0xA9;
inline constexpr uint8_t kRegEepromData = 0xA8;

}  // namespace velmora::firmware
