#pragma once
// Result codes of a transaction and the texts the user sees for them.

#include <cstdint>
#include <string>

namespace velmora::link {

enum ResultCode : uint16_t {
    kResultOk = 0,
    kResultUnknownKind = 5,  // shares the module's code 5 text
    kResultBadCrc = 29,
    kResultNoReply = 31,
    // The link's own refusals; their low six bits have no text, so the status panel
    // is not disturbed by them.
    kResultFrameTooLong = 252,  // a write that cannot fit a 256-byte frame; nothing sent
    kResultLinkBusy = 253,      // another device operation holds the link; nothing sent
    kResultPortLost = 254,
};

// Text of a result or reply byte, looked up by its low six bits; empty when there is none.
std::string replyMessage(uint16_t code);

}  // namespace velmora::link
