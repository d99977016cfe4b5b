#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::link {

// How long a module may take to answer once the line is quiet, by port speed.
uint32_t replyLimitMs(uint32_t baud);

// Time `bytes` take on the line at 8N1 (10 bits a byte), rounded up.
uint32_t wireTimeMs(size_t bytes, uint32_t baud);

}  // namespace velmora::link
