#include "tools/RamVariableRead.h"

#include "access/MemoryMap.h"
#include "access/RamWindow.h"

namespace velmora::tools {

VariableRead readRamVariable(link::TransactionEngine& engine, const RamVariable& v) {
    if (v.count == 0 || uint32_t{v.address} + v.count > access::kRamEnd)
        return {VariableFault::Range, {}};
    auto hold = engine.hold();
    access::ModuleLink link(engine, v.owner);
    VariableRead r;
    r.bytes.resize(v.count);
    const access::Transfer t =
        access::readRam(link, v.address, r.bytes.data(), v.count, access::attempts::kBrowserWindow);
    if (!t.ok())
        r.fault = t.atPage ? VariableFault::Page : VariableFault::Read;
    else if (t.putBack)
        r.fault = VariableFault::Page;
    if (!r.ok()) r.bytes.clear();
    return r;
}

}  // namespace velmora::tools
