#include "system/CurrentModule.h"

namespace velmora::system {

void CurrentModule::select(uint8_t cid, uint8_t slave, uint8_t level) {
    CurrentCID = cid;
    CurrentSlaveAdr = slave;
    SelectionLevel = level;
    changed();
}

void CurrentModule::setTable(const SystemTableRows& rows) {
    SystemTable = rows;
    changed();
}

size_t CurrentModule::nodeCount() const {
    size_t n = 0;
    while (n < SystemTable.size() && SystemTable[n].cid != 0) ++n;
    return n;
}

void CurrentModule::changed() {
    for (const Listener& l : listeners_) l();
}

}  // namespace velmora::system
