#pragma once
// Address arithmetic of the memory grids: which cell shows an address, which address a
// cell shows, and the Flash view's paging.

#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora::views {

struct Cell {
    int column = 1;  // 1..16
    int row = 1;     // 1..16
    bool operator==(const Cell&) const = default;
};

// The cell that shows `address` in its page.
constexpr Cell cellOf(uint16_t address) {
    return {(address & 0xF) + 1, ((address & 0xFF) >> 4) + 1};
}

// The address of a cell on the page `address` lies in, `pageMask` 0xFF00 (Flash) or
// 0x7F00 (RAM, EEPROM).
constexpr uint16_t addressOf(uint16_t address, uint16_t pageMask, Cell c) {
    return static_cast<uint16_t>((address & pageMask) + 16 * (c.row - 1) + (c.column - 1));
}

// The cell after `c`, left to right, top to bottom, back to the first after the last.
constexpr Cell nextCell(Cell c) {
    if (c.column < 16) return {c.column + 1, c.row};
    return {1, c.row < 16 ? c.row + 1 : 1};
}

// `stepFlashPage`: the Flash address after a step, or nothing when it would leave
// FlashBottom..0xFFFF.
std::optional<uint16_t> steppedFlashAddress(uint16_t adrFL, int32_t step, uint16_t bottom);

// The Flash address box on Enter: empty means the bottom, below the bottom is raised to
// it; nothing for text that is not hexadecimal.
std::optional<uint16_t> flashBoxAddress(std::string_view text, uint16_t bottom);

// Hexadecimal text of an address box or cell editor, up to `max`; nothing when empty
// or not hexadecimal.
std::optional<uint32_t> boxValue(std::string_view text, uint32_t max);

}  // namespace velmora::views
