#include "views/MemoryReads.h"

#include <algorithm>
#include <cstring>

#include "views/I2cRegisters.h"

namespace velmora::views {

namespace {

constexpr uint16_t kHalf = 0x80;

bool direct(link::TransactionEngine& e, const ModuleTarget& t, uint8_t kind, uint16_t address,
            uint16_t count) {
    return e.trans_Action(t.cid, kind, address, count, 0, kAttempts) == 0;
}

void take(PageRead& page, int half, const uint8_t* from) {
    std::memcpy(page.bytes.data() + half * kHalf, from, kHalf);
    (half == 0 ? page.firstHalf : page.secondHalf) = true;
}

PageRead readDirect(link::TransactionEngine& e, const ModuleTarget& t, uint8_t kind,
                    uint16_t base) {
    PageRead page;
    page.sent = true;
    for (int half = 0; half < 2; ++half) {
        if (!direct(e, t, kind, static_cast<uint16_t>(base + half * kHalf), kHalf)) break;
        take(page, half, e.state().ReplyData.data());
    }
    return page;
}

}  // namespace

PageRead readRAMPage(link::TransactionEngine& e, const ModuleTarget& t, uint16_t base) {
    if (t.level == 0) return {};
    auto hold = e.hold();
    if (t.level == 1) return readDirect(e, t, link::rdRAM, base);
    PageRead page;
    page.sent = true;
    I2cRegisters regs(e, t);
    SavedPage saved(regs);
    if (!saved.saveByTries()) return page;
    for (int half = 0; half < 2; ++half) {
        const auto from = static_cast<uint16_t>(base + half * kHalf);
        if (!regs.window().setI2CPage(from, kAttempts)) break;
        if (!regs.read(registerFor(from), kHalf)) break;
        take(page, half, regs.reply());
    }
    // RAM 0x51 read back the page this read set; the module's own is the one saved.
    if (base == 0 && page.firstHalf) page.bytes[kRegPage] = *saved.value();
    return page;
}

PageRead readFlashPage(link::TransactionEngine& e, const ModuleTarget& t, uint16_t base) {
    if (t.level == 0) return {};
    auto hold = e.hold();
    if (t.level == 1) return readDirect(e, t, link::rdFlash, base);
    PageRead page;
    page.sent = true;
    I2cRegisters regs(e, t);
    SavedPage saved(regs);
    if (!saved.save() || !regs.write(kRegPage, {0})) return page;
    for (int half = 0; half < 2; ++half) {
        const auto from = static_cast<uint16_t>(base + half * kHalf);
        // The table pointer moves on with every byte read, also when the reply is then
        // lost, so each try sets it afresh and reads once: a try on the moved pointer
        // would show the following bytes as these.
        bool got = false;
        for (int tries = 0; tries < kAttempts && !got; ++tries) {
            if (!regs.write(
                    0xF6, {static_cast<uint8_t>(from & 0xFF), static_cast<uint8_t>(from >> 8), 0}))
                return page;
            got = regs.read(0xF5, kHalf, 1);
        }
        if (!got) return page;
        take(page, half, regs.reply());
    }
    return page;
}

PageRead readEEPage(link::TransactionEngine& e, const ModuleTarget& t, uint16_t base) {
    if (t.level == 0) return {};
    auto hold = e.hold();
    if (t.level == 1) return readDirect(e, t, link::rdEE, base);
    PageRead page;
    page.sent = true;
    I2cRegisters regs(e, t);
    SavedPage saved(regs);
    if (!saved.save() || !regs.write(kRegPage, {0})) return page;
    if (!regs.write(0xA9, {0, static_cast<uint8_t>(base >> 8)})) return page;
    // The sub-module's EEPROM pointer moves on by itself: two reads give both halves. It
    // moves on also when a reply is lost, so a try after a failed one sets it again.
    for (int half = 0; half < 2; ++half) {
        bool got = false;
        for (int tries = 0; tries < kAttempts && !got; ++tries) {
            if (tries > 0 && !regs.write(0xA9, {static_cast<uint8_t>(half * kHalf),
                                                static_cast<uint8_t>(base >> 8)}))
                return page;
            got = regs.read(0xA8, kHalf, 1);
        }
        if (!got) return page;
        take(page, half, regs.reply());
    }
    return page;
}

std::optional<std::array<uint8_t, 128>> readSFRBlock(link::TransactionEngine& e,
                                                     const ModuleTarget& t) {
    if (t.level == 0) return std::nullopt;
    auto hold = e.hold();
    std::array<uint8_t, 128> out{};
    if (t.level == 1) {
        if (!direct(e, t, link::rdSFR, 0, 128)) return std::nullopt;
        std::memcpy(out.data(), e.state().ReplyData.data(), out.size());
        return out;
    }
    I2cRegisters regs(e, t);
    SavedPage saved(regs);
    if (!saved.save() || !regs.write(kRegPage, {0x1F}) || !regs.read(kWindowStart, 128))
        return std::nullopt;
    std::memcpy(out.data(), regs.reply(), out.size());
    return out;
}

std::optional<std::array<uint8_t, 4>> readVarBytes(link::TransactionEngine& e,
                                                   const ModuleTarget& t, uint16_t address) {
    if (t.level == 0) return std::nullopt;
    auto hold = e.hold();
    std::array<uint8_t, 4> out{};
    if (t.level == 1) {
        if (!direct(e, t, link::rdRAM, address, 4)) return std::nullopt;
        std::memcpy(out.data(), e.state().ReplyData.data(), out.size());
        return out;
    }
    I2cRegisters regs(e, t);
    SavedPage saved(regs);
    if (!saved.saveByTries()) return std::nullopt;
    constexpr uint32_t kRamEnd = 0x1000;
    uint32_t at = address;
    const uint32_t end = std::min<uint32_t>(address + 4u, kRamEnd);
    while (at < end) {
        // Up to the end of the 128 bytes the window shows for this page.
        const uint32_t stop = std::min<uint32_t>(end, (at / kHalf + 1) * kHalf);
        const auto n = static_cast<uint16_t>(stop - at);
        const auto a = static_cast<uint16_t>(at);
        if (!regs.window().setI2CPage(a, kAttempts) || !regs.read(registerFor(a), n))
            return std::nullopt;
        std::memcpy(out.data() + (at - address), regs.reply(), n);
        at = stop;
    }
    if (address <= kRegPage && kRegPage < address + out.size())
        out[kRegPage - address] = *saved.value();
    return out;
}

}  // namespace velmora::views
