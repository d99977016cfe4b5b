#include "firmware/ImageWriter.h"

#include <optional>
#include <span>

#include "access/DataRegisters.h"
#include "access/MemoryMap.h"
#include "access/PageGuard.h"
#include "link/OperationKind.h"

namespace velmora::firmware {

namespace {

constexpr uint32_t kBlock = 64;
constexpr uint32_t kLastBlock = 0xFFC0;

// Counts what a write will send, so progress can say how far it is.
Progress plan(const FirmwareImages& images, uint32_t firstBlock) {
    Progress p;
    for (uint32_t b = firstBlock; b <= kLastBlock; b += kBlock)
        if (!blockIsBlank(images, b)) ++p.blocksTotal;
    for (uint16_t cell : images.EepromImage)
        if (FirmwareImages::given(cell)) ++p.eepromTotal;
    return p;
}

void report(const RunHooks& hooks, const Progress& p) {
    if (hooks.progress) hooks.progress(p);
}

bool stopAsked(const RunHooks& hooks) {
    return hooks.stopRequested && hooks.stopRequested();
}

RunResult failed(uint16_t address, uint16_t code) {
    return {RunOutcome::Failed, address, code};
}

RunResult stopped(uint16_t address) {
    return {RunOutcome::Stopped, address, 0};
}

}  // namespace

uint16_t firstWritableBlock(const FirmwareTarget& target) {
    // A node's own monitor lives below 0x2000 and is never written.
    if (target.level == 1) return 0x2000;
    return static_cast<uint16_t>(target.flashBottom & 0xFFC0);
}

bool blockIsBlank(const FirmwareImages& images, uint32_t block) {
    for (uint32_t i = 0; i < kBlock; ++i)
        if (images.FlashImage[block + i] != kErasedFlash) return false;
    return true;
}

RunResult writeImageModbus(ModuleLink& link, const FirmwareImages& images, const RunHooks& hooks) {
    auto hold = link.engine().hold();
    if (uint16_t r = link.nodeWrite(link::wrEE, 0x00FA, {0x00, 0x00}, access::attempts::kNode))
        return failed(0x00FA, r);
    if (uint16_t r = link.nodeRead(link::initMod, 0, 0, access::attempts::kInitModule))
        return failed(0, r);
    link.pause(500);

    const uint32_t first = firstWritableBlock(link.target());
    Progress p = plan(images, first);
    for (uint32_t b = first; b <= kLastBlock; b += kBlock) {
        if (blockIsBlank(images, b)) continue;
        if (stopAsked(hooks)) return stopped(static_cast<uint16_t>(b));
        p.address = static_cast<uint16_t>(b);
        report(hooks, p);
        const std::span<const uint8_t> bytes(images.FlashImage.data() + b, kBlock);
        constexpr access::Tries kTries = access::attempts::kNodeFlashBlock;
        uint16_t r = 0;
        for (int attempt = 1; attempt <= kTries.tries; ++attempt) {
            r = link.nodeWrite(link::wrFlash, static_cast<uint16_t>(b), bytes, kTries.attempts);
            if (r == 0) break;
            if (attempt < kTries.tries) link.pause(access::attempts::kNodeFlashBlockGapMs);
        }
        if (r) return failed(static_cast<uint16_t>(b), r);
        ++p.blocksDone;
    }
    for (uint32_t a = 0; a <= kEepromTop; ++a) {
        const uint16_t cell = images.EepromImage[a];
        if (!FirmwareImages::given(cell)) continue;
        if (stopAsked(hooks)) return stopped(static_cast<uint16_t>(a));
        p.address = static_cast<uint16_t>(a);
        report(hooks, p);
        if (uint16_t r =
                link.nodeWrite(link::wrEE, static_cast<uint16_t>(a),
                               {static_cast<uint8_t>(cell & 0xFF)}, access::attempts::kNode))
            return failed(static_cast<uint16_t>(a), r);
        ++p.eepromDone;
        link.pause(20);
    }
    report(hooks, p);
    return {};
}

namespace {

RunResult writeI2cBody(ModuleLink& link, const FirmwareImages& images, const RunHooks& hooks) {
    const uint32_t first = firstWritableBlock(link.target());
    Progress p = plan(images, first);
    for (uint32_t b = first; b <= kLastBlock; b += kBlock) {
        if (blockIsBlank(images, b)) continue;
        if (stopAsked(hooks)) return stopped(static_cast<uint16_t>(b));
        p.address = static_cast<uint16_t>(b);
        report(hooks, p);
        const access::Transfer t = access::writeFlashBlock(link, static_cast<uint16_t>(b),
                                                           images.FlashImage.data() + b, {});
        if (!t.ok()) return failed(static_cast<uint16_t>(b + t.done), t.code);
        ++p.blocksDone;
    }
    bool inRun = false;
    for (uint32_t a = 0; a <= kEepromTop; ++a) {
        const uint16_t cell = images.EepromImage[a];
        if (!FirmwareImages::given(cell)) {
            inRun = false;
            continue;
        }
        if (stopAsked(hooks)) return stopped(static_cast<uint16_t>(a));
        p.address = static_cast<uint16_t>(a);
        report(hooks, p);
        // Within a run of cells the pointer is set once, at its first cell.
        if (uint16_t r = access::writeEepromByte(link, static_cast<uint16_t>(a),
                                                 static_cast<uint8_t>(cell & 0xFF), inRun))
            return failed(static_cast<uint16_t>(a), r);
        ++p.eepromDone;
        link.pause(20);
    }
    report(hooks, p);
    link.pause(300);
    return {};
}

}  // namespace

RunResult writeImageI2c(ModuleLink& link, const FirmwareImages& images, const RunHooks& hooks) {
    auto hold = link.engine().hold();
    if (uint16_t r = link.read(access::kRegUser, 1, access::attempts::kRegister))
        return failed(access::kRegUser, r);
    link.pause(800);
    // Whatever happens, the module gets its page back: left at 0, every later window
    // access of its own would read the wrong page.
    access::PageGuard page(link, access::attempts::kRegisterPage);
    if (!page.held()) return failed(access::kRegPage, page.failure());
    if (uint16_t r = page.select(0)) return failed(0, r);
    return writeI2cBody(link, images, hooks);
}

}  // namespace velmora::firmware
