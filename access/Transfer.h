#pragma once
// How far a read or write of several transactions got.

#include <cstddef>
#include <cstdint>

namespace velmora::access {

struct Transfer {
    uint16_t code = 0;     // 0, or the result of the step that failed
    size_t done = 0;       // bytes read or written before it
    bool atPage = false;   // that step was REG_PAGE's: its read or its move
    uint16_t putBack = 0;  // REG_PAGE's put-back: 0, also when there was none to do
    bool ok() const { return code == 0; }
};

}  // namespace velmora::access
