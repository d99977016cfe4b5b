#include "views/GridMath.h"

#include "common/NumberText.h"

namespace velmora::views {

std::optional<uint16_t> steppedFlashAddress(uint16_t adrFL, int32_t step, uint16_t bottom) {
    const int64_t to = int64_t{adrFL} + step;
    if (to < bottom || to > 0xFFFF) return std::nullopt;
    return static_cast<uint16_t>(to);
}

std::optional<uint16_t> flashBoxAddress(std::string_view text, uint16_t bottom) {
    if (text.empty()) return bottom;
    auto v = boxValue(text, 0xFFFF);
    if (!v) return std::nullopt;
    return *v < bottom ? bottom : static_cast<uint16_t>(*v);
}

std::optional<uint32_t> boxValue(std::string_view text, uint32_t max) {
    if (text.empty()) return std::nullopt;
    auto v = parseHex(text, max);
    if (!v) return std::nullopt;
    return static_cast<uint32_t>(*v);
}

}  // namespace velmora::views
