#include "views/MemoryWrites.h"

#include "access/DataRegisters.h"
#include "access/RamWindow.h"

namespace velmora::views {

namespace {

// The link held for the write's length; nothing sent at level 0.
template <typename Write>
WriteOutcome written(link::TransactionEngine& e, const access::ModuleAddress& t, Write write) {
    if (t.level == 0) return WriteOutcome::NothingSent;
    auto hold = e.hold();
    access::ModuleLink link(e, t);
    return write(link) == 0 ? WriteOutcome::Written : WriteOutcome::Failed;
}

}  // namespace

WriteOutcome writeRAMCell(link::TransactionEngine& e, const access::ModuleAddress& t,
                          uint16_t address, uint8_t value) {
    return written(e, t, [&](access::ModuleLink& link) {
        return access::writeRamByte(link, address, value, access::attempts::kRamWindow);
    });
}

WriteOutcome writeEECell(link::TransactionEngine& e, const access::ModuleAddress& t,
                         uint16_t address, uint8_t value) {
    return written(e, t, [&](access::ModuleLink& link) {
        return access::writeEepromCell(link, address, value);
    });
}

WriteOutcome writeSFR(link::TransactionEngine& e, const access::ModuleAddress& t, uint16_t address,
                      uint8_t value) {
    return written(
        e, t, [&](access::ModuleLink& link) { return access::writeSfrByte(link, address, value); });
}

}  // namespace velmora::views
