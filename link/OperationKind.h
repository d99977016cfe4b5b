#pragma once
// The twelve operation kinds a transaction can carry, and the request layout of each.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora::link {

enum Kind : uint8_t {
    rdID = 0,
    rdFlash = 1,
    wrFlash = 2,
    rdRAM = 3,
    wrRAM = 4,
    rdEE = 5,
    wrEE = 6,
    rdSFR = 7,
    wrSFR = 8,
    rdI2C = 9,
    wrI2C = 10,
    initMod = 11,
};
inline constexpr uint8_t kKindCount = 12;

std::string_view kindName(uint8_t kind);
// Accepts a kind's name ("rdRAM") or its decimal number ("3").
std::optional<uint8_t> parseKind(std::string_view text);

bool isWriteKind(uint8_t kind);
// Kinds whose reply data go back to the caller.
bool isReadKind(uint8_t kind);

}  // namespace velmora::link
