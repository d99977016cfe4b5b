#include "views/MemoryReads.h"

#include <algorithm>

#include "access/DataRegisters.h"
#include "access/MemoryMap.h"
#include "access/PageGuard.h"
#include "access/RamWindow.h"

namespace velmora::views {

namespace {

constexpr uint16_t kHalf = 0x80;

// A page read in order: the halves that came before a step failed.
PageRead halvesOf(PageRead page, size_t done) {
    page.firstHalf = done >= kHalf;
    page.secondHalf = done >= 2 * kHalf;
    return page;
}

}  // namespace

PageRead readRAMPage(link::TransactionEngine& e, const access::ModuleAddress& t, uint16_t base) {
    if (t.level == 0) return {};
    auto hold = e.hold();
    access::ModuleLink link(e, t);
    PageRead page;
    page.sent = true;
    const access::Transfer r = access::readRam(link, base, page.bytes.data(), page.bytes.size(),
                                               access::attempts::kRamWindow);
    return halvesOf(page, r.done);
}

PageRead readFlashPage(link::TransactionEngine& e, const access::ModuleAddress& t, uint16_t base) {
    if (t.level == 0) return {};
    auto hold = e.hold();
    access::ModuleLink link(e, t);
    PageRead page;
    page.sent = true;
    access::PageGuard guard(link, access::attempts::kRegisterPage);
    if (guard.moveTo(0)) return page;
    const access::Transfer r =
        access::readFlash(link, base, page.bytes.data(), page.bytes.size(), kHalf);
    return halvesOf(page, r.done);
}

PageRead readEEPage(link::TransactionEngine& e, const access::ModuleAddress& t, uint16_t base) {
    if (t.level == 0) return {};
    auto hold = e.hold();
    access::ModuleLink link(e, t);
    PageRead page;
    page.sent = true;
    access::PageGuard guard(link, access::attempts::kRegisterPage);
    if (guard.moveTo(0)) return page;
    // The pointer is set for the page; the second half's read starts where the first left it.
    const access::Transfer r = access::readEeprom(link, base, page.bytes.data(), page.bytes.size(),
                                                  access::EepromPointer::RunsOn);
    return halvesOf(page, r.done);
}

std::optional<std::array<uint8_t, 128>> readSFRBlock(link::TransactionEngine& e,
                                                     const access::ModuleAddress& t) {
    if (t.level == 0) return std::nullopt;
    auto hold = e.hold();
    access::ModuleLink link(e, t);
    std::array<uint8_t, 128> out{};
    if (!access::readSfrBlock(link, out.data()).ok()) return std::nullopt;
    return out;
}

std::optional<std::array<uint8_t, 4>> readVarBytes(link::TransactionEngine& e,
                                                   const access::ModuleAddress& t,
                                                   uint16_t address) {
    if (t.level == 0) return std::nullopt;
    auto hold = e.hold();
    access::ModuleLink link(e, t);
    std::array<uint8_t, 4> out{};
    size_t count = out.size();
    // An i2c module's window ends with RAM: bytes past it read as 0.
    if (t.level == 2)
        count = std::min<size_t>(count, address < access::kRamEnd ? access::kRamEnd - address : 0);
    if (!access::readRam(link, address, out.data(), count, access::attempts::kRamWindow).ok())
        return std::nullopt;
    return out;
}

}  // namespace velmora::views
