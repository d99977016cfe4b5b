#include "firmware/FlashEraser.h"

#include <algorithm>
#include <optional>

#include "access/DataRegisters.h"
#include "access/PageGuard.h"
#include "common/HexText.h"
#include "firmware/ModuleReader.h"
#include "link/OperationKind.h"

namespace velmora::firmware {

namespace {

constexpr uint32_t kBlock = 64;
// Reads of a block to find two in a row that agree.
constexpr int kSteadyReads = 4;
// Writes of a block that keeps bytes until it reads back as meant.
constexpr int kPutBackTries = 3;

using Block = std::array<uint8_t, kBlock>;

EraseResult failedAt(uint32_t block, RunOutcome outcome, uint16_t code) {
    EraseResult r;
    r.outcome = outcome;
    r.address = static_cast<uint16_t>(block);
    r.code = code;
    return r;
}

uint16_t readBlock(ModuleLink& link, uint32_t b, Block& block) {
    return readFlash(link, b, block.data(), kBlock);
}

// The block as two reads in a row give it. A reply that lies (one meant for an earlier
// request, say) is not repeated by the next read, so two equal reads are what the
// module holds. Nothing when a read failed or no two agreed.
struct SteadyRead {
    std::optional<Block> block;
    uint16_t code = 0;  // the failed read's result; 0 when the reads only differed
};

SteadyRead readSteady(ModuleLink& link, uint32_t b) {
    std::optional<Block> previous;
    for (int i = 0; i < kSteadyReads; ++i) {
        Block now{};
        if (uint16_t r = readBlock(link, b, now)) return {std::nullopt, r};
        if (previous && *previous == now) return {now, 0};
        previous = now;
    }
    return {};
}

// Erasing the block again is harmless: nothing of it is written yet.
uint16_t writeBlock(ModuleLink& link, uint32_t b, const Block& block) {
    const auto at = static_cast<uint16_t>(b);
    if (!link.throughNode())
        return link.nodeWrite(link::wrFlash, at, block, access::attempts::kNode);
    return access::writeFlashBlock(link, at, block.data(), {.afterErase = 50, .afterRow = 10}).code;
}

// A block every byte of which is in the range: nothing to keep.
EraseResult eraseWholeBlock(ModuleLink& link, uint32_t b) {
    Block block{};
    if (uint16_t r = readBlock(link, b, block)) return failedAt(b, RunOutcome::Failed, r);
    block.fill(0xFF);
    if (uint16_t r = writeBlock(link, b, block)) return failedAt(b, RunOutcome::Failed, r);
    return {};
}

// A block with bytes outside the range [lo, hi] (offsets in the block): they are read
// until the reads agree, and the block is written until it reads back as meant.
EraseResult erasePartOfBlock(ModuleLink& link, uint32_t b, uint32_t lo, uint32_t hi) {
    const SteadyRead found = readSteady(link, b);
    if (!found.block) {
        EraseResult r = failedAt(b, found.code ? RunOutcome::Failed : RunOutcome::Mismatch, found.code);
        r.readsDiffer = found.code == 0;
        return r;
    }
    Block meant = *found.block;
    std::fill(meant.begin() + lo, meant.begin() + hi + 1, 0xFF);
    std::optional<Block> seen;
    uint16_t code = 0;
    for (int attempt = 0; attempt < kPutBackTries; ++attempt) {
        // Whatever the write's replies said, the read-back tells what the block holds.
        const uint16_t written = writeBlock(link, b, meant);
        const SteadyRead back = readSteady(link, b);
        if (back.block) seen = back.block;
        if (back.block && *back.block == meant) return {};
        code = written ? written : back.code;
    }
    EraseResult r = failedAt(b, code ? RunOutcome::Failed : RunOutcome::Mismatch, code);
    r.meant = meant;
    for (uint32_t i = 0; i < kBlock; ++i) {
        if (i >= lo && i <= hi) continue;
        if (!seen || (*seen)[i] != meant[i])
            r.lost.push_back({static_cast<uint16_t>(b + i), meant[i]});
    }
    return r;
}

EraseResult eraseBlocks(ModuleLink& link, const EraseRange& range, const RunHooks& hooks) {
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
            return failedAt(b, RunOutcome::Stopped, 0);
        if (sends) {
            const uint32_t lo = first & 0x3F, hi = last & 0x3F;
            EraseResult r = lo == 0 && hi == kBlock - 1 ? eraseWholeBlock(link, b)
                                                         : erasePartOfBlock(link, b, lo, hi);
            if (!r.ok()) return r;
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

EraseResult eraseFlash(ModuleLink& link, const EraseRange& range, const RunHooks& hooks) {
    auto hold = link.engine().hold();
    access::PageGuard page(link, access::attempts::kRegisterPage);
    if (uint16_t r = page.moveTo(0)) return failedAt(range.start & 0xFFC0, RunOutcome::Failed, r);
    return eraseBlocks(link, range, hooks);
}

}  // namespace velmora::firmware
