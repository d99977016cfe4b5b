#include "access/ModuleLink.h"

#include "link/OperationKind.h"
#include "link/StatusReport.h"

namespace velmora::access {

namespace {

template <typename Send>
uint16_t tried(Tries t, Send send) {
    uint16_t r = 0;
    for (int i = 0; i < t.tries; ++i)
        if ((r = send()) == 0) return 0;
    return r;
}

}  // namespace

uint16_t ModuleLink::transact(uint8_t kind, uint16_t address, uint16_t count, uint8_t attempts,
                              std::span<const uint8_t> write) {
    const link::Request request{address_.cid, kind, address, count, address_.slave, attempts};
    const uint16_t code = engine_.transact(request, write, reply_).code;
    if (link::statusText(code)) lastResult_ = code;
    return code;
}

uint16_t ModuleLink::read(uint8_t reg, uint16_t count, Tries t) {
    return tried(t, [&] { return transact(link::rdI2C, reg, count, t.attempts, {}); });
}

uint16_t ModuleLink::write(uint8_t reg, std::span<const uint8_t> bytes, Tries t) {
    return tried(t, [&] {
        return transact(link::wrI2C, reg, static_cast<uint16_t>(bytes.size()), t.attempts, bytes);
    });
}

uint16_t ModuleLink::nodeRead(uint8_t kind, uint16_t address, uint16_t count, uint8_t attempts) {
    return transact(kind, address, count, attempts, {});
}

uint16_t ModuleLink::nodeWrite(uint8_t kind, uint16_t address, std::span<const uint8_t> bytes,
                               uint8_t attempts) {
    return transact(kind, address, static_cast<uint16_t>(bytes.size()), attempts, bytes);
}

}  // namespace velmora::access
