#pragma once
// The far end of the line as a script: byte chunks due at set times after the first
// request goes out, whatever the request says. Waiting jumps the fake clock to the next
// chunk or to the wake-up time, so a whole transaction runs without sleeping.

#include <cstdint>
#include <functional>
#include <vector>

#include "link/LinkPorts.h"
#include "link/TransactionEngine.h"

namespace velmora::fuzz {

struct ScriptedChunk {
    uint32_t afterMs = 0;  // since the first request was sent
    std::vector<uint8_t> bytes;
};

class ScriptedLine : public link::LineOut, public link::EventPump, public link::Clock {
public:
    ScriptedLine(std::vector<ScriptedChunk> script, uint32_t baud)
        : script_(std::move(script)), baud_(baud) {}

    void connect(link::TransactionEngine& engine) { engine_ = &engine; }
    // Runs once, from the first wait that delivers a chunk (a click during the wait).
    void onFirstDelivery(std::function<void()> action) { firstDelivery_ = std::move(action); }

    // LineOut
    void send(const uint8_t* data, size_t count) override;
    uint32_t baud() const override { return baud_; }
    // Clock
    uint64_t nowMs() const override { return now_; }
    // EventPump
    void waitForEvents(uint64_t wakeAtMs) override;

    size_t requestsSent() const { return sends_; }
    // Bytes handed to the engine since the last call, in order.
    std::vector<uint8_t> takeDelivered();

private:
    std::vector<ScriptedChunk> script_;
    uint32_t baud_;
    link::TransactionEngine* engine_ = nullptr;
    std::function<void()> firstDelivery_;
    uint64_t now_ = 1000;
    uint64_t startMs_ = 0;
    size_t sends_ = 0;
    size_t next_ = 0;  // first chunk not yet delivered
    std::vector<uint8_t> delivered_;
};

}  // namespace velmora::fuzz
