#include "system/IdentReader.h"

#include <algorithm>

#include "access/RamWindow.h"
#include "link/OperationKind.h"
#include "link/ReplyCodes.h"
#include "link/StatusReport.h"

namespace velmora::system {

namespace {

// The identifier reply carries 252 bytes; what the engine copies after them is the
// reply's CRC, which is no part of the identifier and must not show as text.
constexpr size_t kNodeIdentBytes = 252;
constexpr uint16_t kSubModuleIdent = 0x400;  // where a sub-module keeps its identifier in RAM

uint16_t readThroughNode(access::ModuleLink& link, IdentBuffer& block) {
    const uint16_t result = link.nodeRead(link::rdID, 0, 0, access::attempts::kNode);
    if (result != link::kResultOk) return result;
    std::copy_n(link.reply(), kNodeIdentBytes, block.begin());
    return result;
}

// Through the window, REG_PAGE saved first and put back whatever happens once it is
// known, so the sub-module's own use of the window finds it unchanged.
uint16_t readThroughI2c(access::ModuleLink& link, IdentBuffer& block) {
    const access::Transfer t = access::readRam(link, kSubModuleIdent, block.data(), block.size(),
                                               access::attempts::kIdentWindow);
    // REG_PAGE not read or not moved: as good as no reply.
    return t.atPage ? uint16_t{link::kResultNoReply} : t.code;
}

}  // namespace

std::string identReadError(uint16_t result) {
    return "Ошибка " + std::to_string(result) + " чтения идентификатора";
}

IdentRead readIdent(link::TransactionEngine& engine, link::StatusPanel* status,
                    const access::ModuleAddress& module) {
    IdentRead r;
    const uint8_t level = module.level;
    if (level != 1 && level != 2) return r;
    auto hold = engine.hold();
    access::ModuleLink link(engine, module);
    if (status) status->showStatus("");
    uint16_t result = link::kResultOk;
    for (int attempt = 0; attempt < kIdentTries && !r.ok; ++attempt) {
        r.block = erasedIdent();
        result = level == 1 ? readThroughNode(link, r.block) : readThroughI2c(link, r.block);
        r.ok = result == link::kResultOk;
    }
    if (r.ok) return r;
    r.block = erasedIdent();
    if (level == 1) {
        r.failure = identReadError(result);
        if (status) status->showStatus(r.failure);
    } else {
        // The step that failed last has the panel's words, unless the page's put-back
        // came after it and went well.
        const std::string last = link::statusText(link.lastResult()).value_or("");
        r.failure = last.empty() ? identReadError(result) : last;
    }
    return r;
}

}  // namespace velmora::system
