#include "system/IdentReader.h"

#include <algorithm>

#include "link/OperationKind.h"
#include "link/ReplyCodes.h"
#include "views/I2cRamWindow.h"

namespace velmora::system {

namespace {

// The identifier reply carries 252 bytes; what the engine copies after them is the
// reply's CRC, which is no part of the identifier and must not show as text.
constexpr size_t kNodeIdentBytes = 252;
constexpr uint8_t kIdentFirstPage = 8;  // the sub-module keeps its identifier at RAM 0x400

uint16_t readThroughNode(link::TransactionEngine& engine, uint8_t cid, IdentBuffer& block) {
    const uint16_t result = engine.trans_Action(cid, link::rdID, 0, 0, 0, 3);
    if (result != link::kResultOk) return result;
    const auto& data = engine.state().ReplyData;
    std::copy_n(data.begin(), kNodeIdentBytes, block.begin());
    return result;
}

// Both halves through the window; REG_PAGE is saved first and put back whatever happens
// once it is known, so the sub-module's own use of the window finds it unchanged.
uint16_t readThroughI2c(link::TransactionEngine& engine, uint8_t cid, uint8_t slave,
                        IdentBuffer& block) {
    views::I2cRamWindow window(engine, cid, slave);
    const auto saved = window.getI2CPage(3);
    if (!saved) return link::kResultNoReply;
    uint16_t result = link::kResultOk;
    for (uint8_t half = 0; half < 2 && result == link::kResultOk; ++half) {
        const uint8_t page = static_cast<uint8_t>(kIdentFirstPage + half);
        if (!window.setI2CPage(static_cast<uint16_t>(page * 0x80), 1)) {
            result = link::kResultNoReply;
            break;
        }
        result = engine.trans_Action(cid, link::rdI2C, views::kWindowStart, 128, slave, 1);
        if (result == link::kResultOk)
            std::copy_n(engine.state().ReplyData.begin(), 128, block.begin() + half * 128);
    }
    window.restorePage(*saved, 3);
    return result;
}

// Passes the engine's reports on to the panel and keeps the last one: at level 2 that
// is the message of the step that failed.
struct StatusTee : link::StatusPanel {
    link::StatusPanel* next = nullptr;
    std::string last;
    void showStatus(const std::string& text) override {
        last = text;
        if (next) next->showStatus(text);
    }
};

}  // namespace

std::string identReadError(uint16_t result) {
    return "Ошибка " + std::to_string(result) + " чтения идентификатора";
}

IdentRead readIdent(link::TransactionEngine& engine, link::StatusPanel* status, uint8_t cid,
                    uint8_t slave, uint8_t level) {
    IdentRead r;
    if (level != 1 && level != 2) return r;
    auto hold = engine.hold();
    StatusTee tee;
    tee.next = status;
    engine.setStatusPanel(&tee);
    if (status) status->showStatus("");
    uint16_t result = link::kResultOk;
    for (int attempt = 0; attempt < kIdentTries && !r.ok; ++attempt) {
        r.block = erasedIdent();
        result = level == 1 ? readThroughNode(engine, cid, r.block)
                            : readThroughI2c(engine, cid, slave, r.block);
        r.ok = result == link::kResultOk;
    }
    engine.setStatusPanel(status);
    if (r.ok) return r;
    r.block = erasedIdent();
    if (level == 1) {
        r.failure = identReadError(result);
        if (status) status->showStatus(r.failure);
    } else {
        r.failure = tee.last.empty() ? identReadError(result) : tee.last;
    }
    return r;
}

}  // namespace velmora::system
