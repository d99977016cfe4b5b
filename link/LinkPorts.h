#pragma once
// What the link logic needs from its surroundings. The program supplies Qt-backed
// implementations; tests supply a fake clock and a simulated line.

#include <cstddef>
#include <cstdint>
#include <string>

namespace velmora::link {

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic milliseconds.
    virtual uint64_t nowMs() const = 0;
};

class LineOut {
public:
    virtual ~LineOut() = default;
    // Queues bytes for transmission and returns at once; does nothing on a closed port.
    virtual void send(const uint8_t* data, size_t count) = 0;
    // Current speed in bit/s.
    virtual uint32_t baud() const = 0;
    // Drops input that has arrived but not been handed on yet (it belongs to an earlier
    // exchange).
    virtual void discardInput() {}
    // Whether bytes take their wire time to arrive: true on a real serial line, false on
    // a pseudo-terminal, where a whole reply can arrive at once.
    virtual bool hasWireTime() const { return false; }
};

class EventPump {
public:
    virtual ~EventPump() = default;
    // Runs pending events; if there are none, sleeps until one arrives or the clock
    // reaches `wakeAtMs`, whichever is first. Never spins.
    virtual void waitForEvents(uint64_t wakeAtMs) = 0;
};

struct Rgb {
    uint8_t r, g, b;
};
inline constexpr Rgb kRequestColour{0, 128, 0};
inline constexpr Rgb kReplyColour{0, 0, 255};

class ProtocolLog {
public:
    virtual ~ProtocolLog() = default;
    // Whether "Протокол обмена по Modbus" is on.
    virtual bool exchangeLogging() const = 0;
    virtual void appendLine(const std::string& text, Rgb colour) = 0;
};

class StatusPanel {
public:
    virtual ~StatusPanel() = default;
    // Status bar panel 2; an empty text clears it.
    virtual void showStatus(const std::string& text) = 0;
};

// How each transaction goes, told as it goes, in result codes: whoever shows the user
// anything words it (link/StatusReport.h for panel 2).
class TransactionWatch {
public:
    virtual ~TransactionWatch() = default;
    // An attempt's request is about to go out.
    virtual void attemptStarted() = 0;
    // An attempt got no success: its result; another attempt may follow.
    virtual void attemptFailed(uint16_t code) = 0;
    // The transaction is over, refused or not.
    virtual void finished(uint16_t code) = 0;
};

}  // namespace velmora::link
