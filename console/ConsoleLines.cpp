#include "console/ConsoleLines.h"

#include "common/HexText.h"

namespace velmora::console {

namespace {
constexpr size_t kLineChars = 48;   // 16 bytes of "HH "
constexpr size_t kSplitAbove = 50;  // a reply of 17 bytes or more is cut into lines
}  // namespace

LogLine requestLine(const std::vector<uint8_t>& frame) {
    return {"=> " + hexBytes(frame.data(), frame.size()), kConsoleColour};
}

std::vector<LogLine> replyLines(const uint8_t* reply, size_t length) {
    std::vector<LogLine> lines;
    if (length == 0) return lines;
    const std::string text = hexBytes(reply, length);
    size_t at = 0;
    while (text.size() - at > kSplitAbove) {
        lines.push_back({(lines.empty() ? "<= " : "   ") + text.substr(at, kLineChars)});
        at += kLineChars;
    }
    if (at < text.size()) lines.push_back({"   " + text.substr(at)});
    return lines;
}

std::vector<LogLine> verdictLine(const uint8_t* reply, size_t length, CrcOrder order,
                                 bool complete) {
    if (length <= 2) return {};
    const bool ok = complete && replyCrcOk(reply, length, order);
    return {{ok ? "  CRC16=OK" : "  CRC16=Bad", kVerdictColour}};
}

}  // namespace velmora::console
