#pragma once
// Reading a module's identifier: through the node's own command at level 1, through
// the node's i2c pass-through at level 2 (window pages 8 and 9 of the sub-module's RAM).
// One operation: the link is held from the first try to the last.

#include <cstdint>
#include <string>

#include "access/ModuleAddress.h"
#include "link/LinkPorts.h"
#include "link/TransactionEngine.h"
#include "system/IdentBlock.h"

namespace velmora::system {

struct IdentRead {
    IdentBuffer block = erasedIdent();  // erased unless the read succeeded
    bool ok = false;
    std::string failure;  // what went wrong, as the status panel shows it
};

inline constexpr int kIdentTries = 3;

// `status` is panel 2: cleared as the read starts; a failed read through the node writes
// its own message there. Level 0 reads nothing.
IdentRead readIdent(link::TransactionEngine& engine, link::StatusPanel* status,
                    const access::ModuleAddress& module);

// "Ошибка N чтения идентификатора".
std::string identReadError(uint16_t result);

}  // namespace velmora::system
