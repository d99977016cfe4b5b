#include "link/RawExchange.h"

namespace velmora::link {

RawReply exchangeRaw(TransactionEngine& engine, std::span<const uint8_t> frame,
                     std::span<uint8_t> reply, uint32_t windowMs) {
    auto hold = engine.hold();
    return engine.rawExchange(frame, reply, windowMs);
}

}  // namespace velmora::link
