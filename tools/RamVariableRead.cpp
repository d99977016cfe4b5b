#include "tools/RamVariableRead.h"

#include <algorithm>

#include "link/OperationKind.h"
#include "views/I2cRamWindow.h"

namespace velmora::tools {

namespace {

constexpr uint8_t kOneAttempt = 1;
constexpr uint32_t kWindowSize = 0x80;

// Bytes from `address` to the end of its window (or of the direct registers).
uint16_t windowRest(uint32_t address) {
    return static_cast<uint16_t>(kWindowSize - (address % kWindowSize));
}

void appendReply(link::TransactionEngine& engine, std::vector<uint8_t>& out, uint16_t n) {
    const auto& data = engine.state().ReplyData;
    out.insert(out.end(), data.begin(), data.begin() + n);
}

VariableRead readNode(link::TransactionEngine& engine, const RamVariable& v) {
    VariableRead r;
    uint32_t at = v.address;
    const uint32_t end = uint32_t{v.address} + v.count;
    while (at < end) {
        const auto n = static_cast<uint16_t>(std::min<uint32_t>(end - at, kWindowSize));
        if (engine.trans_Action(v.cid, link::rdRAM, static_cast<uint16_t>(at), n, 0,
                                kOneAttempt) != 0)
            return {VariableFault::Read, {}};
        appendReply(engine, r.bytes, n);
        at += n;
    }
    return r;
}

bool writePage(link::TransactionEngine& engine, const RamVariable& v, uint8_t page) {
    engine.state().WriteData[0] = page;
    return engine.trans_Action(v.cid, link::wrI2C, views::kRegPage, 1, v.slave, kOneAttempt) == 0;
}

VariableRead readSubModule(link::TransactionEngine& engine, const RamVariable& v) {
    if (engine.trans_Action(v.cid, link::rdI2C, views::kRegPage, 1, v.slave, kOneAttempt) != 0)
        return {VariableFault::Page, {}};
    const uint8_t saved = engine.state().ReplyData[0];

    VariableRead r;
    uint32_t at = v.address;
    const uint32_t end = uint32_t{v.address} + v.count;
    while (at < end && r.ok()) {
        const auto n = static_cast<uint16_t>(std::min<uint32_t>(end - at, windowRest(at)));
        const auto address = static_cast<uint16_t>(at);
        if (!writePage(engine, v, views::pageFor(address))) {
            r.fault = VariableFault::Page;
        } else if (engine.trans_Action(v.cid, link::rdI2C, views::registerFor(address), n,
                                       v.slave, kOneAttempt) != 0) {
            r.fault = VariableFault::Read;
        } else {
            appendReply(engine, r.bytes, n);
            at += n;
        }
    }
    if (!writePage(engine, v, saved) && r.ok()) r.fault = VariableFault::Page;
    if (!r.ok()) r.bytes.clear();
    // REG_PAGE was read while the window pointed where this read moved it; the module's
    // own value is the one saved before and put back after.
    if (r.ok() && v.address <= views::kRegPage && views::kRegPage < end)
        r.bytes[views::kRegPage - v.address] = saved;
    return r;
}

}  // namespace

VariableRead readRamVariable(link::TransactionEngine& engine, const RamVariable& v) {
    if (v.count == 0 || uint32_t{v.address} + v.count > kRamEnd) return {VariableFault::Range, {}};
    auto hold = engine.hold();
    return v.slave == 0 ? readNode(engine, v) : readSubModule(engine, v);
}

}  // namespace velmora::tools
