#pragma once
// Register reads and writes of the addressed sub-module, and the REG_PAGE save that is
// put back when it goes out of scope, whatever path the sequence took.

#include <cstdint>
#include <initializer_list>
#include <optional>

#include "link/OperationKind.h"
#include "link/TransactionEngine.h"
#include "views/I2cRamWindow.h"
#include "views/ModuleTarget.h"

namespace velmora::views {

class I2cRegisters {
public:
    I2cRegisters(link::TransactionEngine& engine, const ModuleTarget& t)
        : engine_(engine), t_(t), window_(engine, t.cid, t.slave) {}

    bool read(uint8_t reg, uint16_t count, uint8_t attempts = kAttempts) {
        return engine_.trans_Action(t_.cid, link::rdI2C, reg, count, t_.slave, attempts) == 0;
    }
    bool write(uint8_t reg, std::initializer_list<uint8_t> bytes, uint8_t attempts = kAttempts) {
        size_t n = 0;
        for (uint8_t b : bytes) engine_.state().WriteData[n++] = b;
        return engine_.trans_Action(t_.cid, link::wrI2C, reg, static_cast<uint16_t>(n), t_.slave,
                                    attempts) == 0;
    }
    const uint8_t* reply() const { return engine_.state().ReplyData.data(); }
    I2cRamWindow& window() { return window_; }

private:
    link::TransactionEngine& engine_;
    ModuleTarget t_;
    I2cRamWindow window_;
};

// REG_PAGE as found, written back on destruction once it was read.
class SavedPage {
public:
    explicit SavedPage(I2cRegisters& regs) : regs_(regs) {}
    ~SavedPage() { restore(); }
    // Writes the saved value back (once); true when there was nothing to put back.
    bool restore() {
        if (!saved_ || restored_) return true;
        restored_ = true;
        return byTries_ ? regs_.window().restorePage(*saved_, kAttempts)
                        : regs_.write(kRegPage, {*saved_});
    }
    SavedPage(const SavedPage&) = delete;
    SavedPage& operator=(const SavedPage&) = delete;

    // One rdI2C of register 0x51 with 3 attempts.
    bool save() {
        if (regs_.read(kRegPage, 1)) saved_ = regs_.reply()[0];
        return saved_.has_value();
    }
    // getI2CPage with 3 tries, the RAM view's way; put back with setI2CPage, 3 tries.
    bool saveByTries() {
        byTries_ = true;
        saved_ = regs_.window().getI2CPage(kAttempts);
        return saved_.has_value();
    }
    // The module's own REG_PAGE while the window is moved: RAM 0x51 as the module has it.
    std::optional<uint8_t> value() const { return saved_; }
    // A write to RAM 0x51 while the page is saved: `v` is what gets put back.
    void replace(uint8_t v) {
        if (saved_) saved_ = v;
    }

private:
    I2cRegisters& regs_;
    std::optional<uint8_t> saved_;
    bool byTries_ = false;
    bool restored_ = false;
};

}  // namespace velmora::views
