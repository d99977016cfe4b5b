#pragma once
// Builds the request frame of one operation kind into a transmit buffer.

#include <cstddef>
#include <cstdint>

#include "link/FrameLayout.h"

namespace velmora::link {

// One transaction: to which node, what, where, how much, to which i2c module behind the
// node (rdI2C, wrI2C), and how many times the request may be sent before it fails.
struct Request {
    uint8_t node = 0;
    uint8_t kind = 0;
    uint16_t address = 0;
    uint16_t count = 0;
    uint8_t slave = 0;
    uint8_t attempts = 1;
};

struct RequestLayout {
    size_t requestLength = 0;
    size_t expectedLength = 0;  // reply length that completes the wait
    uint8_t headerLength = 0;   // offset of the first data byte in the reply
};

// Fills `tx` (kFrameMax bytes) and returns the layout; a write's `count` bytes come from
// `writeData`. An initMod frame carries `initNode` (the selected module's), not the
// request's node. Returns nothing, leaving `tx` untouched, for an unknown kind or a
// write whose frame would not fit kFrameMax. Only the count's low byte goes on the wire,
// as the module reads a one-byte count.
bool buildRequest(const Request& request, uint8_t initNode, const uint8_t* writeData, uint8_t* tx,
                  RequestLayout& layout);

}  // namespace velmora::link
