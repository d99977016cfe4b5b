#pragma once
// The link's flags and the engine's own frame buffers, one instance for the whole
// program. Callers pass their data to the engine and get the reply's back; only the
// engine and its reply collector touch TxBuf and RxBuf.

#include <array>
#include <cstdint>

namespace velmora::link {

struct LinkState {
    std::array<uint8_t, 256> TxBuf{};  // the request being sent
    std::array<uint8_t, 256> RxBuf{};  // the reply exactly as received
    uint16_t RxCount = 0;              // reply bytes counted, also those past RxBuf
    bool LinkBusy = false;             // the receive handler stores bytes only while set
    bool PortLost = false;             // set and cleared by the port's owner
    bool ReplyTimedOut = false;
};

}  // namespace velmora::link
