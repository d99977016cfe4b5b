#include "access/DataRegisters.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "access/Attempts.h"
#include "access/MemoryMap.h"
#include "access/PageGuard.h"
#include "link/OperationKind.h"

namespace velmora::access {

namespace {

constexpr uint16_t kEepromChunk = 128;
constexpr uint16_t kFlashBlock = 64;
constexpr uint16_t kFlashRow = 8;

// `count` bytes through a data register, the pointer set before every try but the first
// when `pointerInPlace`.
uint16_t readDataRegister(ModuleLink& link, uint8_t pointerRegister,
                          std::initializer_list<uint8_t> pointer, uint8_t dataRegister,
                          uint16_t count, bool pointerInPlace) {
    uint16_t r = 0;
    for (int i = 0; i < attempts::kDataTries; ++i) {
        if ((i > 0 || !pointerInPlace) &&
            (r = link.write(pointerRegister, pointer, attempts::kPointer)))
            return r;
        if ((r = link.read(dataRegister, count, attempts::kData)) == 0) return 0;
    }
    return r;
}

uint8_t lo(uint16_t a) {
    return static_cast<uint8_t>(a & 0xFF);
}
uint8_t hi(uint16_t a) {
    return static_cast<uint8_t>(a >> 8);
}

}  // namespace

Transfer readFlash(ModuleLink& link, uint16_t address, uint8_t* out, size_t count, uint16_t chunk) {
    Transfer t;
    while (t.done < count) {
        const auto at = static_cast<uint16_t>(address + t.done);
        const auto n = static_cast<uint16_t>(std::min<size_t>(chunk, count - t.done));
        t.code = link.throughNode()
                     ? readDataRegister(link, kRegFlashAddress, {lo(at), hi(at), 0x00},
                                        kRegFlashData, n, false)
                     : link.nodeRead(link::rdFlash, at, n, attempts::kNode);
        if (t.code) return t;
        std::memcpy(out + t.done, link.reply(), n);
        t.done += n;
    }
    return t;
}

Transfer readEeprom(ModuleLink& link, uint16_t address, uint8_t* out, size_t count,
                    EepromPointer pointer) {
    Transfer t;
    bool inPlace = false;
    while (t.done < count) {
        const auto at = static_cast<uint16_t>(address + t.done);
        const auto n = static_cast<uint16_t>(std::min<size_t>(kEepromChunk, count - t.done));
        t.code = link.throughNode() ? readDataRegister(link, kRegEepromAddress, {lo(at), hi(at)},
                                                       kRegEepromData, n, inPlace)
                                    : link.nodeRead(link::rdEE, at, n, attempts::kNode);
        if (t.code) return t;
        std::memcpy(out + t.done, link.reply(), n);
        t.done += n;
        inPlace = pointer == EepromPointer::RunsOn;
    }
    return t;
}

uint16_t writeEepromByte(ModuleLink& link, uint16_t address, uint8_t value, bool& pointerSet) {
    uint16_t r = 0;
    for (int i = 0; i < attempts::kDataTries; ++i) {
        if (!pointerSet) {
            if ((r = link.write(kRegEepromAddress, {lo(address), hi(address)}, attempts::kPointer)))
                return r;
            pointerSet = true;
        }
        if ((r = link.write(kRegEepromData, {value, 0x55, 0xAA}, attempts::kData)) == 0) return 0;
        pointerSet = false;
    }
    return r;
}

uint16_t writeEepromCell(ModuleLink& link, uint16_t address, uint8_t value) {
    if (!link.throughNode()) return link.nodeWrite(link::wrEE, address, {value}, attempts::kNode);
    PageGuard page(link, attempts::kRegisterPage);
    if (!page.held()) return page.failure();
    uint16_t r = page.select(0);
    bool pointerSet = false;
    if (r == 0) r = writeEepromByte(link, address, value, pointerSet);
    const uint16_t back = page.putBack();
    return back ? back : r;
}

uint16_t eraseFlashBlock(ModuleLink& link, uint16_t block) {
    if (uint16_t r = link.write(kRegFlashAddress, {lo(block), hi(block), 0x00}, attempts::kPointer))
        return r;
    return link.write(kRegFlashControl, {0x10, 0x55, 0xAA}, attempts::kBlockErase);
}

uint16_t writeFlashRow(ModuleLink& link, uint16_t at, const uint8_t* bytes) {
    std::array<uint8_t, kFlashRow + 2> row{};
    std::copy_n(bytes, kFlashRow, row.begin());
    row[kFlashRow] = 0x55;
    row[kFlashRow + 1] = 0xAA;
    uint16_t r = 0;
    for (int i = 0; i < attempts::kDataTries; ++i) {
        // The first try's pointer write does not count: the pointer already stands at the
        // row after the block's erase or the row before. Before a retry it must be taken.
        const uint16_t set =
            link.write(kRegFlashAddress, {lo(at), hi(at), 0x00}, attempts::kPointer);
        if (set && i > 0) return set;
        // A row written twice holds the same bytes: programming only clears bits.
        if ((r = link.write(kRegFlashData, row, attempts::kData)) == 0) return 0;
    }
    return r;
}

Transfer writeFlashBlock(ModuleLink& link, uint16_t block, const uint8_t* bytes,
                         BlockPauses pauses) {
    Transfer t;
    if ((t.code = eraseFlashBlock(link, block))) return t;
    if (pauses.afterErase) link.pause(pauses.afterErase);
    for (; t.done < kFlashBlock; t.done += kFlashRow) {
        if ((t.code = writeFlashRow(link, static_cast<uint16_t>(block + t.done), bytes + t.done)))
            return t;
        if (pauses.afterRow) link.pause(pauses.afterRow);
    }
    return t;
}

}  // namespace velmora::access
