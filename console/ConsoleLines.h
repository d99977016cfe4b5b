#pragma once
// The lines the console writes into the protocol log for one exchange. The window and
// velmora-cli print exactly these.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "console/ConsoleFrame.h"
#include "link/LinkPorts.h"

namespace velmora::console {

inline constexpr link::Rgb kConsoleColour{0, 0, 0};
inline constexpr link::Rgb kVerdictColour{255, 0, 0};

struct LogLine {
    std::string text;
    link::Rgb colour = kConsoleColour;
};

// "=> " and every byte of the frame, each as two digits and a blank.
LogLine requestLine(const std::vector<uint8_t>& frame);

// The reply in lines of at most 16 bytes: the first of several starts "<= ", the others
// (and a reply of up to 16 bytes) three blanks. No lines for no bytes.
std::vector<LogLine> replyLines(const uint8_t* reply, size_t length);

// "  CRC16=OK" or "  CRC16=Bad" in red, for replies of three bytes or more; `complete`
// false (bytes were lost past the buffer) is always Bad.
std::vector<LogLine> verdictLine(const uint8_t* reply, size_t length, CrcOrder order,
                                 bool complete = true);

// The log is cut back to this many lines after each console send.
inline constexpr size_t kConsoleLogLines = 27;

}  // namespace velmora::console
