#pragma once
// A typed frame sent as it stands and whatever comes back within a window: the console's
// and the command tester's one exchange. The link is held for the whole window.

#include <cstdint>
#include <span>

#include "link/TransactionEngine.h"

namespace velmora::link {

RawReply exchangeRaw(TransactionEngine& engine, std::span<const uint8_t> frame,
                     std::span<uint8_t> reply, uint32_t windowMs);

}  // namespace velmora::link
