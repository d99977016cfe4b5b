#include "firmware/ModuleReader.h"

#include <algorithm>
#include <array>
#include <optional>

#include "firmware/ImageWriter.h"
#include "link/OperationKind.h"

namespace velmora::firmware {

namespace {
constexpr uint32_t kBlock = 64;
constexpr uint32_t kEepromChunk = 128;

constexpr int kReadTries = 3;

// The data registers move the module's address on with every byte they give, also when
// the reply is then lost: each try sets the address again, or a retry would return the
// bytes that follow the ones asked for.
uint16_t readDataRegister(ModuleLink& link, uint8_t addressRegister,
                          const std::vector<uint8_t>& address, uint8_t dataRegister,
                          uint16_t count) {
    uint16_t r = 0;
    for (int attempt = 1; attempt <= kReadTries; ++attempt) {
        if ((r = link.wrI2C(addressRegister, address, 3))) return r;
        if ((r = link.rdI2C(dataRegister, count, 1)) == 0) return 0;
    }
    return r;
}

void report(const RunHooks& hooks, const Progress& p) {
    if (hooks.progress) hooks.progress(p);
}
bool stopAsked(const RunHooks& hooks) {
    return hooks.stopRequested && hooks.stopRequested();
}
std::optional<size_t> firstDifference(const uint8_t* a, const uint8_t* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return i;
    return std::nullopt;
}
}  // namespace

uint16_t readFlash(ModuleLink& link, uint32_t address, uint8_t* out, size_t count) {
    for (size_t done = 0; done < count; done += kBlock) {
        const uint32_t b = address + static_cast<uint32_t>(done);
        uint16_t r = 0;
        if (link.target().level == 1) {
            r = link.node(link::rdFlash, static_cast<uint16_t>(b), {}, kBlock, 3);
        } else {
            r = readDataRegister(link, kRegFlashAddress,
                                 {static_cast<uint8_t>(b & 0xFF), static_cast<uint8_t>(b >> 8), 0x00},
                                 kRegFlashData, kBlock);
        }
        if (r) return r;
        std::copy_n(link.replyData(), kBlock, out + done);
    }
    return 0;
}

uint16_t readEeprom(ModuleLink& link, uint32_t address, uint8_t* out, size_t count) {
    for (size_t done = 0; done < count; done += kEepromChunk) {
        const uint32_t a = address + static_cast<uint32_t>(done);
        const auto n = static_cast<uint16_t>(std::min<size_t>(kEepromChunk, count - done));
        uint16_t r = 0;
        if (link.target().level == 1) {
            r = link.node(link::rdEE, static_cast<uint16_t>(a), {}, n, 3);
        } else {
            r = readDataRegister(link, kRegEepromAddress,
                                 {static_cast<uint8_t>(a & 0xFF), static_cast<uint8_t>(a >> 8)},
                                 kRegEepromData, n);
        }
        if (r) return r;
        std::copy_n(link.replyData(), n, out + done);
    }
    return 0;
}

RunResult withPageZero(ModuleLink& link, const std::function<RunResult()>& body) {
    if (link.target().level != 2) return body();
    if (uint16_t r = link.rdI2C(kRegPageRegister, 1, 3)) return {RunOutcome::Failed, 0, r};
    const uint8_t saved = link.replyData()[0];
    RunResult result;
    if (uint16_t r = link.wrI2C(kRegPageRegister, {0x00}, 3))
        result = {RunOutcome::Failed, 0, r};
    else
        result = body();
    link.wrI2C(kRegPageRegister, {saved}, 3);
    return result;
}

RunResult verifyImages(ModuleLink& link, const FirmwareImages& images, const RunHooks& hooks) {
    auto hold = link.engine().hold();
    return withPageZero(link, [&]() -> RunResult {
        Progress p;
        std::array<uint8_t, kBlock> block{};
        for (uint32_t b = firstWritableBlock(link.target()); b <= 0xFFC0; b += kBlock) {
            if (blockIsBlank(images, b)) continue;
            if (stopAsked(hooks)) return {RunOutcome::Stopped, static_cast<uint16_t>(b), 0};
            p.address = static_cast<uint16_t>(b);
            report(hooks, p);
            if (uint16_t r = readFlash(link, b, block.data(), kBlock))
                return {RunOutcome::Failed, static_cast<uint16_t>(b), r};
            for (uint32_t i = 0; i < kBlock; ++i)
                if (block[i] != images.FlashImage[b + i])
                    return {RunOutcome::Mismatch, static_cast<uint16_t>(b + i), 0};
            ++p.blocksDone;
        }
        std::array<uint8_t, kEepromTop + 1> eeprom{};
        bool any = false;
        for (uint16_t cell : images.EepromImage) any = any || FirmwareImages::given(cell);
        if (!any) return {};
        if (uint16_t r = readEeprom(link, 0, eeprom.data(), eeprom.size()))
            return {RunOutcome::Failed, 0, r};
        for (uint32_t a = 0; a <= kEepromTop; ++a) {
            const uint16_t cell = images.EepromImage[a];
            if (FirmwareImages::given(cell) && eeprom[a] != (cell & 0xFF))
                return {RunOutcome::Mismatch, static_cast<uint16_t>(a), 0};
        }
        return {};
    });
}

RunResult backupModule(ModuleLink& link, FirmwareImages& out, const RunHooks& hooks) {
    auto hold = link.engine().hold();
    out.clear();
    // A backup is what someone will write back into the module: every block is read
    // twice and must read the same, so no reply spoilt or answered out of turn can
    // slip into the file.
    return withPageZero(link, [&]() -> RunResult {
        Progress p;
        const uint32_t first = link.target().flashBottom & 0xFFC0;
        p.blocksTotal = (0x10000 - first) / kBlock;
        std::array<uint8_t, kBlock> again{};
        for (uint32_t b = first; b <= 0xFFC0; b += kBlock) {
            if (stopAsked(hooks)) return {RunOutcome::Stopped, static_cast<uint16_t>(b), 0};
            p.address = static_cast<uint16_t>(b);
            report(hooks, p);
            uint8_t* block = out.FlashImage.data() + b;
            if (uint16_t r = readFlash(link, b, block, kBlock))
                return {RunOutcome::Failed, static_cast<uint16_t>(b), r};
            if (uint16_t r = readFlash(link, b, again.data(), kBlock))
                return {RunOutcome::Failed, static_cast<uint16_t>(b), r};
            if (auto at = firstDifference(block, again.data(), kBlock))
                return {RunOutcome::Unsteady, static_cast<uint16_t>(b + *at), 0};
            ++p.blocksDone;
        }
        std::array<uint8_t, kEepromTop + 1> eeprom{}, eepromAgain{};
        if (uint16_t r = readEeprom(link, 0, eeprom.data(), eeprom.size()))
            return {RunOutcome::Failed, 0, r, true};
        if (uint16_t r = readEeprom(link, 0, eepromAgain.data(), eepromAgain.size()))
            return {RunOutcome::Failed, 0, r, true};
        if (auto at = firstDifference(eeprom.data(), eepromAgain.data(), eeprom.size()))
            return {RunOutcome::Unsteady, static_cast<uint16_t>(*at), 0, true};
        for (uint32_t a = 0; a <= kEepromTop; ++a)
            out.EepromImage[a] = static_cast<uint16_t>(0xFF00 | eeprom[a]);
        return {};
    });
}

}  // namespace velmora::firmware
