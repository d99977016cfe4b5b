#include "views/MemoryWrites.h"

#include "views/I2cRegisters.h"

namespace velmora::views {

namespace {

WriteOutcome outcome(bool ok) {
    return ok ? WriteOutcome::Written : WriteOutcome::Failed;
}

WriteOutcome writeDirect(link::TransactionEngine& e, const ModuleTarget& t, uint8_t kind,
                         uint16_t address, uint8_t value) {
    e.state().WriteData[0] = value;
    return outcome(e.trans_Action(t.cid, kind, address, 1, 0, kAttempts) == 0);
}

}  // namespace

WriteOutcome writeRAMCell(link::TransactionEngine& e, const ModuleTarget& t, uint16_t address,
                          uint8_t value) {
    if (t.level == 0) return WriteOutcome::NothingSent;
    auto hold = e.hold();
    if (t.level == 1) return writeDirect(e, t, link::wrRAM, address, value);
    I2cRegisters regs(e, t);
    SavedPage saved(regs);
    if (!saved.saveByTries()) return WriteOutcome::Failed;
    if (address == kRegPage) {
        // REG_PAGE itself: written as the value the window's use ends by putting back, or
        // the put-back would undo the write.
        saved.replace(value);
        return outcome(saved.restore());
    }
    const bool ok =
        regs.window().setI2CPage(address, kAttempts) && regs.write(registerFor(address), {value});
    return outcome(saved.restore() && ok);
}

WriteOutcome writeEECell(link::TransactionEngine& e, const ModuleTarget& t, uint16_t address,
                         uint8_t value) {
    if (t.level == 0) return WriteOutcome::NothingSent;
    auto hold = e.hold();
    if (t.level == 1) return writeDirect(e, t, link::wrEE, address, value);
    I2cRegisters regs(e, t);
    SavedPage saved(regs);
    if (!saved.save()) return WriteOutcome::Failed;
    bool ok = regs.write(kRegPage, {0});
    bool written = false;
    // The EEPROM pointer moves on with the byte written, also when the reply is then
    // lost: each try sets it again, or a retry would write into the next cell.
    for (int tries = 0; ok && !written && tries < kAttempts; ++tries) {
        ok = regs.write(0xA9, {static_cast<uint8_t>(address & 0xFF), static_cast<uint8_t>(address >> 8)});
        written = ok && regs.write(0xA8, {value, 0x55, 0xAA}, 1);
    }
    return outcome(saved.restore() && written);
}

WriteOutcome writeSFR(link::TransactionEngine& e, const ModuleTarget& t, uint16_t address,
                      uint8_t value) {
    if (t.level == 0) return WriteOutcome::NothingSent;
    auto hold = e.hold();
    if (t.level == 1) return writeDirect(e, t, link::wrSFR, address, value);
    I2cRegisters regs(e, t);
    SavedPage saved(regs);
    if (!saved.save()) return WriteOutcome::Failed;
    const bool ok =
        regs.write(kRegPage, {0x1F}) && regs.write(static_cast<uint8_t>(address & 0xFF), {value});
    return outcome(saved.restore() && ok);
}

}  // namespace velmora::views
