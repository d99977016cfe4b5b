#include "system/ScanSweep.h"

#include <algorithm>

#include "link/OperationKind.h"
#include "link/ReplyCodes.h"

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
    reprobing_ = false;
    engine_.forgetLateAnswers();
    awaited_.clear();
    reprobe_.clear();
    nodeTries_.fill(0);
    end_ = ScanEnd::Running;
}

bool ScanSweep::answers(uint8_t cid, uint8_t kind, uint8_t slave) {
    const bool nodeProbe = kind == link::rdRAM;
    for (unsigned tries = nodeProbe ? nodeTries_[cid] : 0;;) {
        const uint16_t r = engine_.transact({cid, kind, 0, 1, slave, 1}, {}, {}).code;
        ++tries;
        if (nodeProbe) nodeTries_[cid] = static_cast<uint8_t>(tries);
        if (present(r)) return true;
        if (engine_.state().PortLost) return false;
        // A spoilt or cut reply, or bytes that were not the answer (a reply whose first
        // bytes were spoilt is set aside): something is there.
        bool answered = r == link::kResultBadCrc ||
                        (r == link::kResultNoReply && engine_.heardFrom(cid));
        if (r == link::kResultNoReply && !answered) {
            if (nodeProbe) {
                // Waiting here for a straggler would double the time of every absent
                // node: the next nodes' probes wait for it instead.
                if (tries < kProbeTries) awaited_.push_back(cid);
                return false;
            }
            // The next probe goes to the same node, and a late answer to this one would
            // be taken for its answer: wait it out now.
            engine_.settle(cid);
            answered = engine_.takeLateAnswer(cid);
        }
        if (!answered || tries >= kProbeTries) return false;
    }
}

void ScanSweep::collectLateAnswers() {
    for (auto it = awaited_.begin(); it != awaited_.end();) {
        const uint8_t cid = *it;
        if (engine_.takeLateAnswer(cid)) {
            reprobe_.push_back(cid);
            it = awaited_.erase(it);
        } else if (!engine_.awaitingStraggler(cid)) {
            it = awaited_.erase(it);
        } else {
            ++it;
        }
    }
}

std::optional<uint8_t> ScanSweep::nextNode() {
    collectLateAnswers();
    if (node_ > range_.last && reprobe_.empty() && !awaited_.empty() &&
        !engine_.state().PortLost) {
        engine_.settleAll();
        collectLateAnswers();
        awaited_.clear();
    }
    if (!reprobe_.empty()) return reprobe_.front();
    if (node_ <= range_.last) return static_cast<uint8_t>(node_);
    return std::nullopt;
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
    const std::optional<uint8_t> next = nextNode();
    if (!next) return completeSweep();
    const uint8_t cid = *next;
    reprobing_ = !reprobe_.empty();
    if (reprobing_) reprobe_.pop_front();
    module_.CurrentCID = cid;
    listener_.probingNode(cid);
    if (!answers(cid, link::rdRAM, 0)) return afterNode();
    if (rowsUsed_ == kMaxNodes) return finish(ScanEnd::NodeLimit);
    // Found out of turn after a late answer, a node may come after higher ones: the
    // first node is the lowest, as a sweep without faults finds it.
    if (firstFound_ == 0 || cid < firstFound_) firstFound_ = cid;
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
    if (answers(row.cid, link::rdI2C, slave)) {
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
    if (!reprobing_) ++node_;
    reprobing_ = false;
    const std::optional<uint8_t> next = nextNode();
    if (!next) return completeSweep();
    listener_.gauge1(static_cast<int>(*next));
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
