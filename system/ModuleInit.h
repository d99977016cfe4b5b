#pragma once
// Module initialisation: kind initMod, one attempt. A module restarts on it and says
// nothing, so only a refusal of the link (busy, port lost) comes back as non-zero.

#include <cstdint>

#include "link/TransactionEngine.h"

namespace velmora::system {

uint16_t initialiseModule(link::TransactionEngine& engine, uint8_t cid);

}  // namespace velmora::system
