#include "system/ScanSweep.h"

#include "link/OperationKind.h"

namespace velmora::system {

ScanSweep::ScanSweep(link::TransactionEngine& engine, CurrentModule& module, ScanState& flags,
                     ScanListener& listener, NodeRange range)
    : engine_(engine), module_(module), flags_(flags), listener_(listener), range_(range) {}

void ScanSweep::start() {
    flags_.CloseRequested = false;
    flags_.SystemIdle = false;
    flags_.ScanRunning = true;
    hold_.emplace(engine_.hold());
    listener_.gauge1(2);
    // Node addresses are cleared as well as the module lists: rows left from an earlier
    // table past the nodes found would sit behind tree entries that no longer exist.
    module_.SystemTable = SystemTableRows{};
    rowsUsed_ = 0;
    firstFound_ = 0;
    inModules_ = false;
    node_ = range_.first;
    module_.CurrentCID = range_.first;
    end_ = ScanEnd::Running;
}

bool ScanSweep::step() {
    if (end_ != ScanEnd::Running) return false;
    if (inModules_)
        probeModule();
    else
        probeNode();
    return end_ == ScanEnd::Running;
}

void ScanSweep::probeNode() {
    if (engine_.state().PortLost) return completeSweep();
    const auto cid = static_cast<uint8_t>(node_);
    module_.CurrentCID = cid;
    listener_.probingNode(cid);
    if (!present(engine_.trans_Action(cid, link::rdRAM, 0, 1, 0, 1))) return afterNode();
    if (rowsUsed_ == kMaxNodes) return finish(ScanEnd::NodeLimit);
    if (firstFound_ == 0) firstFound_ = cid;
    NodeRow& row = module_.SystemTable[rowsUsed_++];
    row.cid = cid;
    listener_.nodeFound(rowsUsed_ - 1, cid);
    listener_.gauge1(0);
    listener_.gauge2(0);
    inModules_ = true;
    slave_ = kFirstSlave;
}

void ScanSweep::probeModule() {
    // A tree selection during the node's probe has chosen a module of its own; a probe
    // now would overwrite its slave address.
    if (!flags_.ScanRunning) return finish(ScanEnd::Stopped);
    const auto slave = static_cast<uint8_t>(slave_);
    const size_t rowIndex = rowsUsed_ - 1;
    NodeRow& row = module_.SystemTable[rowIndex];
    module_.CurrentSlaveAdr = slave;
    listener_.probingModule(slave);
    if (present(engine_.trans_Action(row.cid, link::rdI2C, 0, 1, slave, 1))) {
        if (row.moduleCount == kMaxModules) return finish(ScanEnd::ModuleLimit);
        row.modules[row.moduleCount] = slave;
        // Counted at once: a sweep cut short keeps a row that says what the tree shows.
        ++row.moduleCount;
        listener_.moduleFound(rowIndex, row.moduleCount - 1u, slave);
    }
    if (!flags_.ScanRunning) return finish(ScanEnd::Stopped);
    const bool last = slave_ >= kLastSlave;
    listener_.gauge2(last ? 0 : static_cast<int>(slave_) + 2);
    if (last || engine_.state().PortLost) {
        inModules_ = false;
        listener_.nodeDone(rowIndex);
        return afterNode();
    }
    slave_ += 2;
}

void ScanSweep::afterNode() {
    if (!flags_.ScanRunning) return finish(ScanEnd::Stopped);
    ++node_;
    if (node_ > range_.last) return completeSweep();
    listener_.gauge1(static_cast<int>(node_));
}

void ScanSweep::completeSweep() {
    // The first node found becomes current, as the node itself: a slave address left
    // by the module sweep would point the views at a module nobody chose.
    const uint8_t level =
        module_.SelectionLevel == kModuleSelected ? uint8_t{kNodeSelected} : module_.SelectionLevel;
    finish(ScanEnd::Complete);
    module_.select(firstFound_ ? firstFound_ : 1, 0, level);
}

void ScanSweep::finish(ScanEnd how) {
    end_ = how;
    hold_.reset();
    flags_.ScanRunning = false;
    flags_.SystemIdle = true;
}

}  // namespace velmora::system
