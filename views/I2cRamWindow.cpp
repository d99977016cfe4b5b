#include "views/I2cRamWindow.h"

#include "link/OperationKind.h"

namespace velmora::views {

std::optional<uint8_t> I2cRamWindow::getI2CPage(int tries) {
    for (int i = 0; i < tries; ++i) {
        if (engine_.trans_Action(cid_, link::rdI2C, kRegPage, 1, slave_, 1) == 0)
            return engine_.state().ReplyData[0];
    }
    return std::nullopt;
}

bool I2cRamWindow::setI2CPage(uint16_t address, int tries) {
    for (int i = 0; i < tries; ++i) {
        engine_.state().WriteData[0] = pageFor(address);
        if (engine_.trans_Action(cid_, link::wrI2C, kRegPage, 1, slave_, 3) == 0) return true;
    }
    return false;
}

}  // namespace velmora::views
