#pragma once
// After an attempt that timed out, its reply may still be on its way. Until that time
// has passed, a node's replies are not trusted to answer a new request: the next
// request to that node first lets the line fall quiet and drops what comes. Other
// nodes are not held up; their replies cannot start with that node's address.
//
// The guard lasts a further reply limit plus the wire time of the longest frame, and
// a little for the pieces a USB adapter hands over: a module later than twice its time
// limit is taken as gone, not slow.

#include <array>
#include <cstdint>

namespace velmora::link {

class StragglerGuard {
public:
    // How long after a timed-out attempt's deadline its reply may still come.
    static uint32_t guardMs(uint32_t baud);
    // How long the line must have been quiet before a drain ends past its guard, and
    // how far past it a drain may run while bytes keep coming.
    static constexpr uint32_t kQuietMs = 20;
    static uint32_t overrunMs(uint32_t baud);

    void open(uint8_t node, uint64_t untilMs);
    // The time until which `node` may still send a straggler; 0 when none is awaited.
    uint64_t until(uint8_t node) const { return until_[node]; }
    bool isOpen(uint8_t node, uint64_t nowMs) const { return until_[node] > nowMs; }
    // Open, or closed so lately that a straggler let through to its end may still be
    // arriving.
    bool recentlyAwaited(uint8_t node, uint64_t nowMs) const {
        return until_[node] != 0 && until_[node] + kLateSlackMs > nowMs;
    }
    static constexpr uint32_t kLateSlackMs = 1000;
    void close(uint8_t node) { until_[node] = 0; }
    // The latest time any node's guard runs to.
    uint64_t latest() const;

    // A node whose guard is open sent bytes: its earlier request was answered late.
    void noteLateAnswer(uint8_t node) { late_[node] = true; }
    bool takeLateAnswer(uint8_t node);

private:
    std::array<uint64_t, 256> until_{};
    std::array<bool, 256> late_{};
};

}  // namespace velmora::link
