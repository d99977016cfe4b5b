#pragma once
// The link buffers and flags, one instance for the whole program.

#include <array>
#include <cstdint>

namespace velmora::link {

struct LinkState {
    std::array<uint8_t, 256> TxBuf{};      // the request being sent; raw frames too
    std::array<uint8_t, 256> RxBuf{};      // the reply exactly as received
    uint16_t RxCount = 0;                  // reply bytes counted, also those past RxBuf
    uint8_t ReplyHeaderLen = 0;            // first data byte of the last reply in RxBuf
    std::array<uint8_t, 256> WriteData{};  // filled by the caller before a write kind
    std::array<uint8_t, 256> ReplyData{};  // data of the last read kind
    bool LinkBusy = false;                 // the receive handler stores bytes only while set
    bool PortLost = false;                 // set and cleared by the port's owner
    bool ReplyTimedOut = false;
};

}  // namespace velmora::link
