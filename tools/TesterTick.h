#pragma once
// One tick of the command tester: the next command line of `TestLines` sent as a raw
// frame with its CRC16 (low byte first, whatever the window's CRC setting), 150 ms of
// collection, the reply judged. The tester window and `velmora-cli test` both run this.

#include <cstdint>
#include <string>

#include "link/TransactionEngine.h"
#include "tools/TestList.h"

namespace velmora::tools {

inline constexpr uint32_t kTesterWaitMs = 150;

enum class TickOutcome {
    Idle,      // fewer than two lines, no checked file, or no command in any checked file
    Busy,      // the link is in use: nothing sent, nothing moved; run it again once free
    Refused,   // the line is not hexadecimal: `message` names file and line; nothing sent
    Empty,     // the line holds no byte: nothing sent, the position moved on
    NoReply,   // sent; fewer than three bytes came back
    Answered,  // sent; `replyText` holds the reply and its verdict
};

struct TickResult {
    TickOutcome outcome = TickOutcome::Idle;
    std::string message;
    std::string displayText;  // the command line without its outer blanks
    uint16_t crc = 0;
    std::string replyText;    // "HH HH ... " then " CRC16 OK" or " CRC16 Bad"
    bool listDone = false;    // no further command before the end of the list
};

// Runs only from the event loop itself; holds the link for the whole exchange and
// releases it afterwards, however the exchange went.
TickResult runTestTick(link::TransactionEngine& engine, TestList& list,
                       uint32_t waitMs = kTesterWaitMs);

// The reply text of step 11 for bytes[0..count); `whole` false when bytes were lost.
std::string testReplyText(const uint8_t* bytes, size_t count, bool whole = true);

// Run-log lines; `stamp` is the date, a blank and the time.
std::string requestLogLine(const std::string& stamp, const std::string& displayText);
std::string replyLogLine(const std::string& stamp, const std::string& replyText);

enum class CycleMode { Cyclic = 0, Once = 1, Step = 2 };

enum class TimerAfterTick {
    Keep,            // nothing happened: the timer stays as it was
    Rearm,           // enable the timer with the period of `seGENtest`
    Stop,            // leave the timer off
    StopAndUncheck,  // leave it off and uncheck "Активность", so box and timer agree
};

TimerAfterTick timerAfterTick(CycleMode mode, const TickResult& tick);

}  // namespace velmora::tools
