#include "system/CurrentModule.h"

namespace velmora::system {

void CurrentModule::select(uint8_t cid, uint8_t slave, uint8_t level) {
    CurrentCID = cid;
    CurrentSlaveAdr = slave;
    SelectionLevel = level;
}

size_t CurrentModule::nodeCount() const {
    size_t n = 0;
    while (n < SystemTable.size() && SystemTable[n].cid != 0) ++n;
    return n;
}

}  // namespace velmora::system
