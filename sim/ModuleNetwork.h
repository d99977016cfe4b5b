#pragma once
// The simulated module network as seen from the serial line: it cuts the incoming byte
// stream into request frames, lets the addressed node answer, and applies the faults
// asked for.

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <vector>

#include "sim/SimNode.h"

namespace velmora::sim {

// Faults as a noisy line makes them, at random but repeatable from the seed: each reply
// is hit with probability `share`, and a hit reply is dropped, has bits flipped so its
// CRC fails, is cut short, or comes so late that the terminal has given up waiting and
// is already on its next attempt. A byte changed with its CRC made to match is left out:
// no check on the line could see it.
struct RandomFaults {
    double share = 0;         // 0..1 of the replies
    uint32_t seed = 1;
    uint32_t baud = 115200;   // a late reply misses the terminal's time limit at this speed
    // Relative weights of the kinds.
    unsigned dropWeight = 1, corruptWeight = 1, truncateWeight = 1, lateWeight = 1;
};

struct FaultPlan {
    unsigned dropEvery = 0;     // drop every n-th reply
    unsigned corruptEvery = 0;  // flip the CRC of every n-th reply
    unsigned strayBytes = 0;    // junk bytes sent after every reply
    uint32_t lateMs = 0;        // extra delay before every reply
    unsigned hangupAfter = 0;   // hang up after this many requests
    // Replies fill bytes 2..4 with values of their own instead of echoing the request's,
    // as a module may: what the terminal cannot rely on.
    bool noEcho = false;
    RandomFaults random;
};

// What the faults did so far, by kind.
struct FaultCounts {
    unsigned replies = 0;  // replies the nodes made, faulted or not
    unsigned dropped = 0, corrupted = 0, truncated = 0, late = 0;
    unsigned faulted() const { return dropped + corrupted + truncated + late; }
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

    // Starts the random faults over from their seed.
    void setFaults(const FaultPlan& plan);
    const FaultPlan& faults() const { return faults_; }
    // A hang-up happens once; the other faults go on as they were.
    void hangupDone() { faults_.hangupAfter = 0; }
    const FaultCounts& faultCounts() const { return counts_; }

    // RAM 060..063 of every node moving with the time, for pictures of a watch: 060
    // counts seconds, 061..062 (low byte first) rises from 0 to 1000 and falls back every
    // 40 s, 063 swings about 128 by 100 every 20 s. The time counts from the first byte.
    void setMovingRam(bool on) { movingRam_ = on; }
    static void moveRam(SimModule& m, uint64_t elapsedMs);

    // Bytes from the terminal at `nowMs`; returns the replies they complete.
    std::vector<Reply> feed(const uint8_t* data, size_t count, uint64_t nowMs);

    // Complete requests seen, broadcasts and foreign frames included.
    unsigned requestsSeen() const { return requests_; }
    bool hangupDue() const { return faults_.hangupAfter && requests_ >= faults_.hangupAfter; }
    // Every complete request frame, in order (for tests that check what went out).
    const std::vector<std::vector<uint8_t>>& requestLog() const { return requestLog_; }

private:
    void handleFrame(std::vector<Reply>& out);
    void applyFaults(Reply& reply, size_t requestLength, std::vector<Reply>& out);
    void fillHeader(std::vector<uint8_t>& reply);
    // True when the random plan dropped the reply.
    bool randomFault(Reply& reply, size_t requestLength);

    std::map<uint8_t, SimNode> nodes_;
    FaultPlan faults_;
    std::vector<uint8_t> pending_;
    bool skipping_ = false;  // after an unknown command, until the line falls quiet
    uint64_t lastByteMs_ = 0;
    unsigned requests_ = 0;
    unsigned replies_ = 0;
    uint8_t headerFill_ = 0;
    FaultCounts counts_;
    std::mt19937 rng_;
    std::vector<std::vector<uint8_t>> requestLog_;
    bool movingRam_ = false;
    std::optional<uint64_t> firstByteMs_;
};

// Length of the request frame that starts the buffer: 0 while more bytes are needed
// to tell, -1 for a command the modules do not know.
int requestFrameLength(const std::vector<uint8_t>& buffer);

}  // namespace velmora::sim
