#pragma once
// One RAM variable read from any module of the network, whatever is selected in the
// main window: a node with rdRAM, an i2c sub-module through its RAM window. Both
// browsers and `velmora-cli watch` read through this, so they send the same frames.

#include <cstdint>
#include <vector>

#include "access/ModuleAddress.h"
#include "link/TransactionEngine.h"

namespace velmora::tools {

struct RamVariable {
    // Not an aggregate: four bare numbers would fill the owner's level with the address.
    RamVariable() = default;
    RamVariable(const access::ModuleAddress& owner, uint16_t address, uint16_t count)
        : owner(owner), address(address), count(count) {}

    access::ModuleAddress owner;  // access::moduleAt: slave 0 is the node itself
    uint16_t address = 0;
    uint16_t count = 1;
};

enum class VariableFault {
    None,
    Page,   // REG_PAGE could not be read, moved or put back
    Read,   // the bytes themselves were not read
    Range,  // the variable does not lie inside RAM (nothing was sent)
};

struct VariableRead {
    VariableFault fault = VariableFault::None;
    std::vector<uint8_t> bytes;  // all `count` bytes, or none on a fault
    bool ok() const { return fault == VariableFault::None; }
};

// Every step has one attempt (access::attempts::kBrowserWindow). The link is held for
// the whole read. A sub-module's REG_PAGE is read first and that value is written back,
// also when the read failed, so the module's own use of the window is left as found. A
// variable crossing a 128-byte window boundary is read a window at a time (a single read
// would run into the programming registers or the next window's wrong page). A node is
// read at most 128 bytes a frame, within the 256-byte reply limit.
VariableRead readRamVariable(link::TransactionEngine& engine, const RamVariable& v);

}  // namespace velmora::tools
