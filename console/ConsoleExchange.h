#pragma once
// The console's one device sequence: a typed line sent as a raw frame with its CRC16,
// whatever comes back within the window collected, and the log lines written. The
// Terminal page and `velmora-cli send` both run exactly this.

#include <cstdint>
#include <string>
#include <string_view>

#include "console/ConsoleFrame.h"
#include "link/LinkPorts.h"
#include "link/TransactionEngine.h"

namespace velmora::console {

inline constexpr uint32_t kConsoleWindowMs = 700;

// Where the console's lines go: the protocol log, or standard output.
class ConsoleLog {
public:
    virtual ~ConsoleLog() = default;
    virtual void appendLine(const std::string& text, link::Rgb colour) = 0;
    // Deletes the oldest lines until at most `lines` remain.
    virtual void keepLastLines(size_t lines) = 0;
};

enum class ConsoleOutcome {
    Nothing,  // no byte typed: nothing sent, nothing logged
    Refused,  // a bad token or too long: `message` says why; nothing sent or logged
    Busy,     // the link is in use: nothing sent or logged; run it again once it is free
    Sent,
};

struct ConsoleResult {
    ConsoleOutcome outcome = ConsoleOutcome::Nothing;
    std::string message;
    size_t replyBytes = 0;   // bytes that came within the window
    bool goodReply = false;  // three bytes or more, all kept, with a good CRC in the chosen order
};

// Runs only from the event loop itself (never inside another operation's wait); the
// link is held for the whole window.
ConsoleResult sendConsoleCommand(link::TransactionEngine& engine, std::string_view text,
                                 CrcOrder order, ConsoleLog& log,
                                 uint32_t windowMs = kConsoleWindowMs);

}  // namespace velmora::console
