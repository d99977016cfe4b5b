#include "sim/SimulatedLine.h"

#include <algorithm>

#include "link/TimeLimits.h"

namespace velmora::sim {

void SimulatedLine::send(const uint8_t* data, size_t count) {
    if (!open_) return;
    sent_.emplace_back(data, data + count);
    ++requests_;
    auto replies = network_.feed(data, count, clock_.now);
    if (requests_ < delivery_.answerFrom) return;
    if (delivery_.loseReplyTo && delivery_.loseReplyTo(sent_.back())) return;
    if (delivery_.silent && delivery_.silent(requests_)) return;
    for (const Reply& r : replies) {
        uint64_t t = clock_.now + delivery_.latencyMs + r.delayMs;
        if (paced_) t += link::wireTimeMs(count + r.bytes.size(), baud_);
        size_t chunk = delivery_.chunkSize ? delivery_.chunkSize : r.bytes.size();
        for (size_t i = 0; i < r.bytes.size(); i += chunk) {
            size_t n = std::min(chunk, r.bytes.size() - i);
            inject(t, std::vector<uint8_t>(r.bytes.begin() + static_cast<long>(i),
                                           r.bytes.begin() + static_cast<long>(i + n)));
            t += delivery_.chunkGapMs;
        }
    }
}

void SimulatedLine::discardInput() {
    for (auto it = events_.begin(); it != events_.end() && it->first <= clock_.now;) {
        if (it->second.action)
            ++it;
        else
            it = events_.erase(it);
    }
}

void SimulatedLine::inject(uint64_t atMs, std::vector<uint8_t> bytes) {
    events_.emplace(atMs, Event{std::move(bytes), nullptr});
}

void SimulatedLine::at(uint64_t atMs, std::function<void()> action) {
    events_.emplace(atMs, Event{{}, std::move(action)});
}

void SimulatedLine::waitForEvents(uint64_t wakeAtMs) {
    ++waits_;
    if (events_.empty() || events_.begin()->first > wakeAtMs) {
        if (clock_.now < wakeAtMs) clock_.now = wakeAtMs;
        return;
    }
    uint64_t t = events_.begin()->first;
    if (clock_.now < t) clock_.now = t;
    while (!events_.empty() && events_.begin()->first == t) {
        Event e = std::move(events_.begin()->second);
        events_.erase(events_.begin());
        if (e.action)
            e.action();
        else if (engine_)
            engine_->commAfterReceive(e.bytes.data(), e.bytes.size());
    }
}

}  // namespace velmora::sim
