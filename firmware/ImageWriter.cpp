#include "firmware/ImageWriter.h"

#include <optional>

#include "link/OperationKind.h"

namespace velmora::firmware {

namespace {

constexpr uint32_t kBlock = 64;
constexpr uint32_t kLastBlock = 0xFFC0;
constexpr int kFlashBlockTries = 4;
// An i2c row or EEPROM byte: tries, each with the address set again.
constexpr int kI2cDataTries = 3;

std::vector<uint8_t> blockBytes(const FirmwareImages& images, uint32_t block, uint32_t from,
                                uint32_t count) {
    return {images.FlashImage.begin() + block + from,
            images.FlashImage.begin() + block + from + count};
}

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
    if (uint16_t r = link.node(link::wrEE, 0x00FA, {0x00, 0x00}, 2, 3)) return failed(0x00FA, r);
    if (uint16_t r = link.node(link::initMod, 0, {}, 0, 1)) return failed(0, r);
    link.pause(500);

    const uint32_t first = firstWritableBlock(link.target());
    Progress p = plan(images, first);
    for (uint32_t b = first; b <= kLastBlock; b += kBlock) {
        if (blockIsBlank(images, b)) continue;
        if (stopAsked(hooks)) return stopped(static_cast<uint16_t>(b));
        p.address = static_cast<uint16_t>(b);
        report(hooks, p);
        const auto bytes = blockBytes(images, b, 0, kBlock);
        uint16_t r = 0;
        for (int attempt = 1; attempt <= kFlashBlockTries; ++attempt) {
            r = link.node(link::wrFlash, static_cast<uint16_t>(b), bytes, kBlock, 1);
            if (r == 0) break;
            if (attempt < kFlashBlockTries) link.pause(20);
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
        if (uint16_t r = link.node(link::wrEE, static_cast<uint16_t>(a),
                                   {static_cast<uint8_t>(cell & 0xFF)}, 1, 3))
            return failed(static_cast<uint16_t>(a), r);
        ++p.eepromDone;
        link.pause(20);
    }
    report(hooks, p);
    return {};
}

namespace {

// The data registers move the module's address on with each row or byte they take, also
// when the reply is then lost; a retry that did not set the address again would write
// into the next row or cell, outside the image.

// The row's address is sent before each try. Before the first its result is not what
// counts (the address is already there after the block's erase or the row before); before
// a retry it must have been taken. A row written twice holds the same bytes: programming
// only clears bits.
uint16_t writeRow(ModuleLink& link, uint32_t at, const std::vector<uint8_t>& bytes) {
    const std::vector<uint8_t> address{static_cast<uint8_t>(at & 0xFF),
                                       static_cast<uint8_t>(at >> 8), 0x00};
    uint16_t r = 0;
    for (int attempt = 1; attempt <= kI2cDataTries; ++attempt) {
        const uint16_t set = link.wrI2C(kRegFlashAddress, address, 3);
        if (set && attempt > 1) return set;
        r = link.wrI2C(kRegFlashData, bytes, 1);
        if (r == 0) return 0;
    }
    return r;
}

// One EEPROM byte. Within a run of cells the address is set once, at its first cell;
// after a failed try it is set again.
uint16_t writeEepromByte(ModuleLink& link, uint32_t a, uint8_t value, bool& addressSet) {
    uint16_t r = 0;
    for (int attempt = 1; attempt <= kI2cDataTries; ++attempt) {
        if (!addressSet) {
            r = link.wrI2C(kRegEepromAddress,
                           {static_cast<uint8_t>(a & 0xFF), static_cast<uint8_t>(a >> 8)}, 3);
            if (r) return r;
            addressSet = true;
        }
        r = link.wrI2C(kRegEepromData, {value, 0x55, 0xAA}, 1);
        if (r == 0) return 0;
        addressSet = false;
    }
    return r;
}

RunResult writeI2cBody(ModuleLink& link, const FirmwareImages& images, const RunHooks& hooks) {
    if (uint16_t r = link.wrI2C(kRegPageRegister, {0x00}, 3)) return failed(0, r);
    const uint32_t first = firstWritableBlock(link.target());
    Progress p = plan(images, first);
    for (uint32_t b = first; b <= kLastBlock; b += kBlock) {
        if (blockIsBlank(images, b)) continue;
        if (stopAsked(hooks)) return stopped(static_cast<uint16_t>(b));
        p.address = static_cast<uint16_t>(b);
        report(hooks, p);
        const uint8_t lo = static_cast<uint8_t>(b & 0xFF), hi = static_cast<uint8_t>(b >> 8);
        if (uint16_t r = link.wrI2C(kRegFlashAddress, {lo, hi, 0x00}, 3))
            return failed(static_cast<uint16_t>(b), r);
        if (uint16_t r = link.wrI2C(kRegFlashControl, {0x10, 0x55, 0xAA}, 3))
            return failed(static_cast<uint16_t>(b), r);
        for (uint32_t row = 0; row < 8; ++row) {
            const uint32_t at = b + 8 * row;
            auto bytes = blockBytes(images, b, 8 * row, 8);
            bytes.push_back(0x55);
            bytes.push_back(0xAA);
            if (uint16_t r = writeRow(link, at, bytes)) return failed(static_cast<uint16_t>(at), r);
        }
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
        if (uint16_t r = writeEepromByte(link, a, static_cast<uint8_t>(cell & 0xFF), inRun))
            return failed(static_cast<uint16_t>(a), r);
        ++p.eepromDone;
        link.pause(20);
    }
    report(hooks, p);
    link.pause(300);
    return {};
}

}  // namespace

uint16_t writeI2cFlashRow(ModuleLink& link, uint32_t at, const std::vector<uint8_t>& row) {
    return writeRow(link, at, row);
}

RunResult writeImageI2c(ModuleLink& link, const FirmwareImages& images, const RunHooks& hooks) {
    auto hold = link.engine().hold();
    if (uint16_t r = link.rdI2C(kRegUser, 1, 3)) return failed(kRegUser, r);
    link.pause(800);
    if (uint16_t r = link.rdI2C(kRegPageRegister, 1, 3)) return failed(kRegPageRegister, r);
    const uint8_t saved = link.replyData()[0];
    const RunResult result = writeI2cBody(link, images, hooks);
    // Whatever happened, the module gets its page back: left at 0, every later window
    // access of its own would read the wrong page.
    link.wrI2C(kRegPageRegister, {saved}, 3);
    return result;
}

}  // namespace velmora::firmware
