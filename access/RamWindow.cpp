#include "access/RamWindow.h"

#include <algorithm>
#include <cstring>

#include "access/MemoryMap.h"
#include "access/PageGuard.h"
#include "link/OperationKind.h"

namespace velmora::access {

namespace {

constexpr uint32_t kWindowSize = 0x80;
// A node is asked for at most 128 bytes a frame, well within the 256-byte reply.
constexpr size_t kNodeReadMost = 0x80;

Transfer readNode(ModuleLink& link, uint8_t kind, uint16_t address, uint8_t* out, size_t count,
                  uint8_t attempts) {
    Transfer t;
    while (t.done < count) {
        const auto n = static_cast<uint16_t>(std::min(count - t.done, kNodeReadMost));
        t.code = link.nodeRead(kind, static_cast<uint16_t>(address + t.done), n, attempts);
        if (t.code) return t;
        std::memcpy(out + t.done, link.reply(), n);
        t.done += n;
    }
    return t;
}

Transfer readWindow(ModuleLink& link, uint16_t address, uint8_t* out, size_t count,
                    const WindowSteps& steps) {
    Transfer t;
    PageGuard page(link, steps.page);
    if (!page.held()) return {page.failure(), 0, true};
    const uint32_t end = uint32_t{address} + count;
    while (t.done < count) {
        const uint32_t at = address + t.done;
        // Up to the end of the 128 bytes the window shows for this page.
        const uint32_t stop = std::min<uint32_t>(end, (at / kWindowSize + 1) * kWindowSize);
        const auto n = static_cast<uint16_t>(stop - at);
        const auto a = static_cast<uint16_t>(at);
        if ((t.code = page.select(pageFor(a)))) {
            t.atPage = true;
            break;
        }
        if ((t.code = link.read(registerFor(a), n, {1, steps.data}))) break;
        std::memcpy(out + t.done, link.reply(), n);
        t.done += n;
    }
    if (address <= kRegPage && kRegPage < address + t.done) out[kRegPage - address] = *page.saved();
    t.putBack = page.putBack();
    return t;
}

uint16_t writeWindow(ModuleLink& link, uint16_t address, uint8_t value, const WindowSteps& steps) {
    PageGuard page(link, steps.page);
    if (!page.held()) return page.failure();
    if (address == kRegPage) {
        page.replace(value);
        return page.putBack();
    }
    uint16_t r = page.select(pageFor(address));
    if (r == 0) r = link.write(registerFor(address), {value}, {1, steps.data});
    const uint16_t back = page.putBack();
    return back ? back : r;
}

}  // namespace

Transfer readRam(ModuleLink& link, uint16_t address, uint8_t* out, size_t count,
                 const WindowSteps& steps) {
    if (!link.throughNode()) return readNode(link, link::rdRAM, address, out, count, steps.data);
    return readWindow(link, address, out, count, steps);
}

uint16_t writeRamByte(ModuleLink& link, uint16_t address, uint8_t value, const WindowSteps& steps) {
    if (!link.throughNode()) return link.nodeWrite(link::wrRAM, address, {value}, steps.data);
    return writeWindow(link, address, value, steps);
}

Transfer readSfrBlock(ModuleLink& link, uint8_t* out) {
    // A node's rdSFR lands in the SFR window whatever the address says.
    if (!link.throughNode()) return readNode(link, link::rdSFR, 0, out, 128, attempts::kNode);
    return readWindow(link, kSfrStart, out, 128, attempts::kSfrWindow);
}

uint16_t writeSfrByte(ModuleLink& link, uint16_t address, uint8_t value) {
    if (!link.throughNode()) return link.nodeWrite(link::wrSFR, address, {value}, attempts::kNode);
    return writeWindow(link, address, value, attempts::kSfrWindow);
}

}  // namespace velmora::access
