#include "firmware/ModuleReader.h"

#include <algorithm>
#include <array>
#include <optional>

#include "access/DataRegisters.h"
#include "access/PageGuard.h"
#include "firmware/ImageWriter.h"

namespace velmora::firmware {

namespace {
constexpr uint32_t kBlock = 64;

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
    return access::readFlash(link, static_cast<uint16_t>(address), out, count, kBlock).code;
}

uint16_t readEeprom(ModuleLink& link, uint32_t address, uint8_t* out, size_t count) {
    return access::readEeprom(link, static_cast<uint16_t>(address), out, count,
                              access::EepromPointer::EachChunk)
        .code;
}

RunResult withPageZero(ModuleLink& link, const std::function<RunResult()>& body) {
    access::PageGuard page(link, access::attempts::kRegisterPage);
    if (uint16_t r = page.moveTo(0)) return {RunOutcome::Failed, 0, r};
    return body();
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
