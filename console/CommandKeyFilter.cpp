#include "console/CommandKeyFilter.h"

namespace velmora::console {

FilteredKey filterCommandKey(char32_t typed) {
    if (typed == 0x03 || typed == 0x08 || typed == 0x16) return {KeyVerdict::Pass};
    // Only ASCII letters matter: no other upper case could pass.
    const char32_t upper = typed >= U'a' && typed <= U'z' ? typed - 0x20 : typed;
    const bool hex = (upper >= U'0' && upper <= U'9') || (upper >= U'A' && upper <= U'F');
    if (hex || upper == U' ') return {KeyVerdict::Insert, upper};
    return {KeyVerdict::Swallow};
}

}  // namespace velmora::console
