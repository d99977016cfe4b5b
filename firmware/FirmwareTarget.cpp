#include "firmware/FirmwareTarget.h"

#include <algorithm>

#include "link/OperationKind.h"

namespace velmora::firmware {

uint16_t ModuleLink::wrI2C(uint8_t reg, const std::vector<uint8_t>& bytes, uint8_t retries) {
    std::copy(bytes.begin(), bytes.end(), engine_.state().WriteData.begin());
    return engine_.trans_Action(target_.cid, link::wrI2C, reg,
                                static_cast<uint16_t>(bytes.size()), target_.slave, retries);
}

uint16_t ModuleLink::rdI2C(uint8_t reg, uint16_t count, uint8_t retries) {
    return engine_.trans_Action(target_.cid, link::rdI2C, reg, count, target_.slave, retries);
}

uint16_t ModuleLink::node(uint8_t kind, uint16_t address, const std::vector<uint8_t>& bytes,
                          uint16_t count, uint8_t retries) {
    std::copy(bytes.begin(), bytes.end(), engine_.state().WriteData.begin());
    return engine_.trans_Action(target_.cid, kind, address, count, target_.slave, retries);
}

}  // namespace velmora::firmware
