#include "link/StatusReport.h"

#include "link/ReplyCodes.h"

namespace velmora::link {

std::optional<std::string> statusText(uint16_t code) {
    if (code == kResultLinkBusy || code == kResultPortLost) return std::nullopt;
    return replyMessage(code);
}

void reportResult(StatusPanel& panel, uint16_t code) {
    if (auto text = statusText(code)) panel.showStatus(*text);
}

void StatusReport::attemptStarted() {
    panel_.showStatus({});
}

void StatusReport::attemptFailed(uint16_t code) {
    if (code == kResultBadCrc) panel_.showStatus("Ошибка CRC16");
}

}  // namespace velmora::link
