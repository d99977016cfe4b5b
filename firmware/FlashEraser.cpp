#include "firmware/FlashEraser.h"

#include <algorithm>
#include <array>

#include "common/HexText.h"
#include "firmware/ModuleReader.h"
#include "link/OperationKind.h"

namespace velmora::firmware {

namespace {

constexpr uint32_t kBlock = 64;

using Block = std::array<uint8_t, kBlock>;

uint16_t readBlock(ModuleLink& link, uint32_t b, Block& block) {
    return readFlash(link, b, block.data(), kBlock);
}

uint16_t writeBlock(ModuleLink& link, uint32_t b, const Block& block) {
    if (link.target().level == 1)
        return link.node(link::wrFlash, static_cast<uint16_t>(b), {block.begin(), block.end()},
                         kBlock, 3);
    if (uint16_t r = link.wrI2C(kRegFlashAddress,
                                {static_cast<uint8_t>(b & 0xFF), static_cast<uint8_t>(b >> 8), 0x00}, 3))
        return r;
    if (uint16_t r = link.wrI2C(kRegFlashControl, {0x10, 0x55, 0xAA}, 1)) return r;
    link.pause(50);
    for (uint32_t row = 0; row < 8; ++row) {
        std::vector<uint8_t> bytes(block.begin() + 8 * row, block.begin() + 8 * row + 8);
        bytes.push_back(0x55);
        bytes.push_back(0xAA);
        if (uint16_t r = link.wrI2C(kRegFlashData, bytes, 1)) return r;
        link.pause(10);
    }
    return 0;
}

RunResult eraseBlocks(ModuleLink& link, const EraseRange& range, const RunHooks& hooks) {
    const bool sends = link.target().level == 1 || link.target().level == 2;
    uint32_t b = range.start & 0xFFC0;
    uint32_t first = range.start;
    Progress p;
    p.blocksTotal = ((range.end & 0xFFC0) - b) / kBlock + 1;
    while (b <= range.end) {
        const uint32_t last = std::min(b + kBlock - 1, range.end);
        p.address = static_cast<uint16_t>(b);
        if (hooks.progress) hooks.progress(p);
        if (hooks.stopRequested && hooks.stopRequested())
            return {RunOutcome::Stopped, static_cast<uint16_t>(b), 0};
        if (sends) {
            Block block{};
            if (uint16_t r = readBlock(link, b, block))
                return {RunOutcome::Failed, static_cast<uint16_t>(b), r};
            for (uint32_t i = first & 0x3F; i <= (last & 0x3F); ++i) block[i] = 0xFF;
            if (uint16_t r = writeBlock(link, b, block))
                return {RunOutcome::Failed, static_cast<uint16_t>(b), r};
        }
        ++p.blocksDone;
        // No 16-bit wrap: the walk ends after the block at 0xFFC0 at the latest.
        b += kBlock;
        first = b;
        link.pause(50);
    }
    return {};
}

}  // namespace

bool eraseRangeAllowed(const EraseRange& range, uint16_t flashBottom) {
    return range.end >= range.start && range.start >= flashBottom && range.end <= 0xFFFF;
}

std::string eraseLogLine(const EraseRange& range) {
    return "Errase Flash: 0x" + hexNumber(range.start, 4) + " ... 0x" + hexNumber(range.end, 4);
}

RunResult eraseFlash(ModuleLink& link, const EraseRange& range, const RunHooks& hooks) {
    auto hold = link.engine().hold();
    if (link.target().level != 2) return eraseBlocks(link, range, hooks);
    if (uint16_t r = link.rdI2C(kRegPageRegister, 1, 3))
        return {RunOutcome::Failed, static_cast<uint16_t>(range.start & 0xFFC0), r};
    const uint8_t saved = link.replyData()[0];
    RunResult result;
    if (uint16_t r = link.wrI2C(kRegPageRegister, {0x00}, 3))
        result = {RunOutcome::Failed, static_cast<uint16_t>(range.start & 0xFFC0), r};
    else
        result = eraseBlocks(link, range, hooks);
    link.wrI2C(kRegPageRegister, {saved}, 3);
    return result;
}

}  // namespace velmora::firmware
