#include "views/MemoryReads.h"

#include <algorithm>

#include "access/DataRegisters.h"
#include "access/MemoryMap.h"
#include "access/PageGuard.h"
#include "access/RamWindow.h"

namespace velmora::views {

namespace {

constexpr uint16_t kHalf = 0x80;

// One page at the module `t` addresses, the link held: `read` fills it in order and says
// how far it got. An i2c module's Flash and EEPROM are read with REG_PAGE at 0.
template <typename Read>
PageRead readPage(link::TransactionEngine& e, const access::ModuleAddress& t, bool pageZero,
                  Read read) {
    if (t.level == 0) return {};
    auto hold = e.hold();
    access::ModuleLink link(e, t);
    PageRead page;
    page.sent = true;
    std::optional<access::PageGuard> guard;
    if (pageZero) {
        guard.emplace(link, access::attempts::kRegisterPage);
        if (guard->moveTo(0)) return page;
    }
    const size_t done = read(link, page.bytes.data()).done;
    page.firstHalf = done >= kHalf;
    page.secondHalf = done >= 2 * kHalf;
    return page;
}

constexpr size_t kPage = 2 * kHalf;

}  // namespace

PageRead readRAMPage(link::TransactionEngine& e, const access::ModuleAddress& t, uint16_t base) {
    return readPage(e, t, false, [&](access::ModuleLink& link, uint8_t* bytes) {
        return access::readRam(link, base, bytes, kPage, access::attempts::kRamWindow);
    });
}

PageRead readFlashPage(link::TransactionEngine& e, const access::ModuleAddress& t, uint16_t base) {
    return readPage(e, t, true, [&](access::ModuleLink& link, uint8_t* bytes) {
        return access::readFlash(link, base, bytes, kPage, kHalf);
    });
}

PageRead readEEPage(link::TransactionEngine& e, const access::ModuleAddress& t, uint16_t base) {
    // The pointer is set for the page; the second half's read starts where the first left it.
    return readPage(e, t, true, [&](access::ModuleLink& link, uint8_t* bytes) {
        return access::readEeprom(link, base, bytes, kPage, access::EepromPointer::RunsOn);
    });
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
