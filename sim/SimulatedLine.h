#pragma once
// A serial line with the simulated network at its far end, on a fake clock. Replies are
// delivered as scheduled receive events; waiting advances the clock to the next event
// or to the wake-up time, so no test ever sleeps. The tests and the fault benchmark both
// drive the engine through it.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/LinkPorts.h"
#include "link/StatusReport.h"
#include "link/TransactionEngine.h"
#include "sim/ModuleNetwork.h"

namespace velmora::sim {

class FakeClock : public link::Clock {
public:
    uint64_t nowMs() const override { return now; }
    uint64_t now = 1000;
};

struct Delivery {
    uint32_t latencyMs = 2;   // from the send to the first chunk
    size_t chunkSize = 0;     // 0: the whole reply in one receive event
    uint32_t chunkGapMs = 0;  // between chunks
    unsigned answerFrom = 1;  // requests before this one (1-based) get no reply
    // Requests for which this says true are carried out but their replies are lost.
    std::function<bool(const std::vector<uint8_t>& request)> loseReplyTo;
    std::function<bool(unsigned request)> silent;  // true: that request (1-based) gets no reply
};

class SimulatedLine : public link::LineOut, public link::EventPump {
public:
    explicit SimulatedLine(ModuleNetwork& network) : network_(network) {}

    void connect(link::TransactionEngine& engine) { engine_ = &engine; }
    FakeClock& clock() { return clock_; }
    Delivery& delivery() { return delivery_; }

    // LineOut
    void send(const uint8_t* data, size_t count) override;
    uint32_t baud() const override { return baud_; }
    void setBaud(uint32_t b) { baud_ = b; }
    void setOpen(bool open) { open_ = open; }
    // A line with wire time: each reply comes no sooner than the request and the reply
    // take to cross it, as on a real serial line. Off, it behaves as a pseudo-terminal.
    void setWireTime(bool on) { wireTime_ = paced_ = on; }
    // A port that looks like a serial line but hands bytes over at once (a device with a
    // USB interface of its own, a virtual port).
    void setFastPortClaimingWireTime() { wireTime_ = true, paced_ = false; }
    bool hasWireTime() const override { return wireTime_; }
    // Bytes due by now have reached the port's buffer; they are dropped. Later ones are
    // still on the wire.
    void discardInput() override;

    // EventPump: delivers every receive event due at the earliest scheduled time, or
    // moves the clock to `wakeAtMs` when nothing is due by then.
    void waitForEvents(uint64_t wakeAtMs) override;

    // Schedules raw bytes, as if the far end sent them at `atMs`.
    void inject(uint64_t atMs, std::vector<uint8_t> bytes);
    // Something to run at `atMs` during a wait (a timer tick, a click).
    void at(uint64_t atMs, std::function<void()> action);

    const std::vector<std::vector<uint8_t>>& sent() const { return sent_; }
    unsigned waits() const { return waits_; }

private:
    struct Event {
        std::vector<uint8_t> bytes;
        std::function<void()> action;
    };

    ModuleNetwork& network_;
    link::TransactionEngine* engine_ = nullptr;
    FakeClock clock_;
    Delivery delivery_;
    uint32_t baud_ = 115200;
    bool open_ = true;
    bool wireTime_ = false;
    bool paced_ = false;
    std::multimap<uint64_t, Event> events_;
    std::vector<std::vector<uint8_t>> sent_;
    unsigned requests_ = 0;
    unsigned waits_ = 0;
};

// Engine, state, line, log and status panel wired together.
struct RecordingLog : link::ProtocolLog {
    bool on = true;
    struct Line {
        std::string text;
        link::Rgb colour;
    };
    std::vector<Line> lines;
    bool exchangeLogging() const override { return on; }
    void appendLine(const std::string& text, link::Rgb colour) override {
        lines.push_back({text, colour});
    }
};

struct RecordingStatus : link::StatusPanel {
    std::vector<std::string> history;
    void showStatus(const std::string& text) override { history.push_back(text); }
    std::string last() const { return history.empty() ? std::string("<never>") : history.back(); }
};

struct EngineRig {
    explicit EngineRig(ModuleNetwork& network)
        : line(network), engine(state, line, line.clock(), line) {
        line.connect(engine);
        engine.setProtocolLog(&log);
        engine.setWatch(&report);
    }
    link::LinkState state;
    SimulatedLine line;
    link::TransactionEngine engine;
    RecordingLog log;
    RecordingStatus status;
    link::StatusReport report{status};
};

}  // namespace velmora::sim
