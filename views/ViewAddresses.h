#pragma once
// Where the memory views stand: the lowest Flash address and the cursor addresses.

#include <cstdint>

namespace velmora::views {

struct ViewAddresses {
    uint16_t FlashBottom = 0x2000;
    uint16_t AdrFL = 0x2000;
    uint16_t AdrRAM = 0x000;
    uint16_t AdrEE = 0x000;
};

}  // namespace velmora::views
