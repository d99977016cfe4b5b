#pragma once
// What status panel 2 says of a transaction. While an attempt waits the panel is blank;
// a reply whose CRC fails says so at once, though another attempt may follow; at the
// end the result's text stands, blank on success. The link's refusals (busy, port lost)
// leave the panel as it is: a lost port's panel says why it is lost, and a refused tick
// says nothing of the operation that holds the link.

#include <cstdint>
#include <optional>
#include <string>

#include "link/LinkPorts.h"

namespace velmora::link {

// The panel's text once a transaction ended with `code`; nothing when the panel is left
// as it is.
std::optional<std::string> statusText(uint16_t code);

// Shows `code`'s text, if it has one to show.
void reportResult(StatusPanel& panel, uint16_t code);

// Every transaction an engine makes, reported to a panel as it goes.
class StatusReport : public TransactionWatch {
public:
    explicit StatusReport(StatusPanel& panel) : panel_(panel) {}
    void attemptStarted() override;
    void attemptFailed(uint16_t code) override;
    void finished(uint16_t code) override { reportResult(panel_, code); }

private:
    StatusPanel& panel_;
};

}  // namespace velmora::link
