#include "cli/ResultText.h"

#include <cstdio>

#include "link/ReplyCodes.h"

namespace velmora::cli {

std::string resultText(uint16_t result) {
    switch (result) {
        case link::kResultLinkBusy:
            return "the link is in use by another operation";
        case link::kResultFrameTooLong:
            return "the request does not fit a 256-byte frame";
        case link::kResultPortLost:
            return "the serial port is lost";
        default:
            break;
    }
    std::string text = link::replyMessage(result);
    return text.empty() ? "no text for this code" : text;
}

std::string resultLine(uint16_t result) {
    char head[32];
    std::snprintf(head, sizeof head, "result %u (0x%02X): ", result, result);
    return head + resultText(result);
}

}  // namespace velmora::cli
