#include "access/ModuleLink.h"

#include <algorithm>

#include "link/OperationKind.h"

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

uint16_t ModuleLink::read(uint8_t reg, uint16_t count, Tries t) {
    return tried(t, [&] {
        return engine_.trans_Action(address_.cid, link::rdI2C, reg, count, address_.slave,
                                    t.attempts);
    });
}

uint16_t ModuleLink::write(uint8_t reg, std::span<const uint8_t> bytes, Tries t) {
    return tried(t, [&] {
        std::copy(bytes.begin(), bytes.end(), engine_.state().WriteData.begin());
        return engine_.trans_Action(address_.cid, link::wrI2C, reg,
                                    static_cast<uint16_t>(bytes.size()), address_.slave,
                                    t.attempts);
    });
}

uint16_t ModuleLink::nodeRead(uint8_t kind, uint16_t address, uint16_t count, uint8_t attempts) {
    return engine_.trans_Action(address_.cid, kind, address, count, address_.slave, attempts);
}

uint16_t ModuleLink::nodeWrite(uint8_t kind, uint16_t address, std::span<const uint8_t> bytes,
                               uint8_t attempts) {
    std::copy(bytes.begin(), bytes.end(), engine_.state().WriteData.begin());
    return engine_.trans_Action(address_.cid, kind, address, static_cast<uint16_t>(bytes.size()),
                                address_.slave, attempts);
}

}  // namespace velmora::access
