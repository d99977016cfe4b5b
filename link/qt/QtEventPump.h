#pragma once
// The clock and the event wait of the program: a monotonic millisecond counter, and a
// wait that sleeps in the Qt event loop until an event or a precise timer wakes it.

#include <QElapsedTimer>
#include <QTimer>

#include "link/LinkPorts.h"

namespace velmora::link {

class QtClock : public Clock {
public:
    QtClock() { timer_.start(); }
    uint64_t nowMs() const override { return static_cast<uint64_t>(timer_.elapsed()); }

private:
    QElapsedTimer timer_;
};

class QtEventPump : public EventPump {
public:
    explicit QtEventPump(const Clock& clock);
    void waitForEvents(uint64_t wakeAtMs) override;

private:
    const Clock& clock_;
    QTimer wake_;
};

}  // namespace velmora::link
