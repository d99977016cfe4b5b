#include "fuzz/ScriptedLine.h"

namespace velmora::fuzz {

void ScriptedLine::send(const uint8_t*, size_t) {
    if (sends_++ == 0) startMs_ = now_;
}

void ScriptedLine::waitForEvents(uint64_t wakeAtMs) {
    const bool started = sends_ > 0;
    if (!started || next_ == script_.size() || startMs_ + script_[next_].afterMs > wakeAtMs) {
        if (now_ < wakeAtMs) now_ = wakeAtMs;
        return;
    }
    const uint64_t due = startMs_ + script_[next_].afterMs;
    if (now_ < due) now_ = due;
    if (firstDelivery_) {
        auto action = std::move(firstDelivery_);
        firstDelivery_ = nullptr;
        action();
    }
    // Chunks due at the same moment arrive as one receive event each, as a port reports
    // every read separately.
    while (next_ < script_.size() && startMs_ + script_[next_].afterMs == due) {
        const std::vector<uint8_t>& bytes = script_[next_++].bytes;
        delivered_.insert(delivered_.end(), bytes.begin(), bytes.end());
        if (engine_) engine_->commAfterReceive(bytes.data(), bytes.size());
    }
}

std::vector<uint8_t> ScriptedLine::takeDelivered() {
    std::vector<uint8_t> out;
    out.swap(delivered_);
    return out;
}

}  // namespace velmora::fuzz
