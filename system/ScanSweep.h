#pragma once
// The bus scan as a routine of single probes: each step() sends one probe (a node read
// of one RAM byte, or an i2c read of one register behind the node) and moves the sweep
// on. The window runs one step per pass of its event loop, the command-line program in a
// plain loop, so both run the same sweep. The link is held from start to end, so a
// timer-driven request cannot slip between two probes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "link/TransactionEngine.h"
#include "system/CurrentModule.h"
#include "system/NodeRange.h"
#include "system/ScanState.h"

namespace velmora::system {

// What the sweep reports as it goes; the window turns it into the tree, the gauges and
// the status panels, the command-line program into its lines.
class ScanListener {
public:
    virtual ~ScanListener() = default;
    virtual void probingNode(uint8_t cid) { (void)cid; }
    virtual void nodeFound(size_t row, uint8_t cid) { (void)row, (void)cid; }
    virtual void probingModule(uint8_t slave) { (void)slave; }
    virtual void moduleFound(size_t row, size_t index, uint8_t slave) {
        (void)row, (void)index, (void)slave;
    }
    // A node's module sweep is over (complete, or cut short by the port's loss).
    virtual void nodeDone(size_t row) { (void)row; }
    virtual void gauge1(int value) { (void)value; }
    virtual void gauge2(int value) { (void)value; }
};

enum class ScanEnd {
    Running,
    Complete,     // the last node address was passed, or the port was lost
    Stopped,      // ScanRunning was cleared from outside
    NodeLimit,    // a node answered while all rows were in use
    ModuleLimit,  // a 33rd module answered behind one node
};


class ScanSweep {
public:
    ScanSweep(link::TransactionEngine& engine, CurrentModule& module, ScanState& flags,
              ScanListener& listener, NodeRange range = {});

    // Sets the flags, empties the table and takes the link.
    void start();
    // One probe. Returns false once the sweep has ended (the link is free again).
    bool step();
    ScanEnd end() const { return end_; }
    size_t nodesFound() const { return rowsUsed_; }

    static constexpr uint8_t kFirstSlave = 2;
    static constexpr uint8_t kLastSlave = 254;
    // Probes of an address that gave a spoilt, cut or late answer: something is there.
    static constexpr unsigned kProbeTries = 3;

private:
    // Whether the probe found the node or module; probes again while the answers say
    // something answered but not well.
    bool answers(uint8_t cid, uint8_t kind, uint8_t slave);
    // A node that did not answer in time may answer late; its straggler shows up while
    // the next nodes are asked, and then it is probed again.
    void collectLateAnswers();
    std::optional<uint8_t> nextNode();
    void probeNode();
    void probeModule();
    void afterNode();
    void completeSweep();
    void finish(ScanEnd how);
    bool present(uint16_t result) const { return result == 0; }

    link::TransactionEngine& engine_;
    CurrentModule& module_;
    ScanState& flags_;
    ScanListener& listener_;
    NodeRange range_;
    std::optional<link::TransactionEngine::Hold> hold_;
    ScanEnd end_ = ScanEnd::Complete;
    bool inModules_ = false;
    unsigned node_ = 1;  // wider than a byte, so passing FF ends the loop
    unsigned slave_ = kFirstSlave;
    size_t rowsUsed_ = 0;
    uint8_t firstFound_ = 0;
    bool reprobing_ = false;  // the node at work was probed again, out of turn
    std::vector<uint8_t> awaited_;
    std::deque<uint8_t> reprobe_;
    std::array<uint8_t, 256> nodeTries_{};
};

}  // namespace velmora::system
