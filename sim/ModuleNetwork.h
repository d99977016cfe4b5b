#pragma once
// The simulated module network as seen from the serial line: it cuts the incoming byte
// stream into request frames, lets the addressed node answer, and applies the faults
// asked for.

#include <cstdint>
#include <map>
#include <vector>

#include "sim/SimNode.h"

namespace velmora::sim {

struct FaultPlan {
    unsigned dropEvery = 0;     // drop every n-th reply
    unsigned corruptEvery = 0;  // flip the CRC of every n-th reply
    unsigned strayBytes = 0;    // junk bytes sent after every reply
    uint32_t lateMs = 0;        // extra delay before every reply
    unsigned hangupAfter = 0;   // hang up after this many requests
};

struct Reply {
    std::vector<uint8_t> bytes;
    uint32_t delayMs = 0;
};

class ModuleNetwork {
public:
    SimNode& addNode(uint8_t address);
    SimNode* node(uint8_t address);
    const std::map<uint8_t, SimNode>& nodes() const { return nodes_; }

    void setFaults(const FaultPlan& plan) { faults_ = plan; }
    const FaultPlan& faults() const { return faults_; }

    // Bytes from the terminal at `nowMs`; returns the replies they complete.
    std::vector<Reply> feed(const uint8_t* data, size_t count, uint64_t nowMs);

    // Complete requests seen, broadcasts and foreign frames included.
    unsigned requestsSeen() const { return requests_; }
    bool hangupDue() const { return faults_.hangupAfter && requests_ >= faults_.hangupAfter; }
    // Every complete request frame, in order (for tests that check what went out).
    const std::vector<std::vector<uint8_t>>& requestLog() const { return requestLog_; }

private:
    void handleFrame(std::vector<Reply>& out);
    void applyFaults(Reply& reply, std::vector<Reply>& out);

    std::map<uint8_t, SimNode> nodes_;
    FaultPlan faults_;
    std::vector<uint8_t> pending_;
    bool skipping_ = false;  // after an unknown command, until the line falls quiet
    uint64_t lastByteMs_ = 0;
    unsigned requests_ = 0;
    unsigned replies_ = 0;
    std::vector<std::vector<uint8_t>> requestLog_;
};

// Length of the request frame that starts the buffer: 0 while more bytes are needed
// to tell, -1 for a command the modules do not know.
int requestFrameLength(const std::vector<uint8_t>& buffer);

}  // namespace velmora::sim
