#include "link/OperationKind.h"

#include <array>

namespace velmora::link {

namespace {
constexpr std::array<std::string_view, kKindCount> kNames = {
    "rdID", "rdFlash", "wrFlash", "rdRAM", "wrRAM", "rdEE",
    "wrEE", "rdSFR",   "wrSFR",   "rdI2C", "wrI2C", "initMod"};
}

std::string_view kindName(uint8_t kind) {
    return kind < kKindCount ? kNames[kind] : "?";
}

std::optional<uint8_t> parseKind(std::string_view text) {
    for (uint8_t k = 0; k < kKindCount; ++k)
        if (kNames[k] == text) return k;
    if (text.empty() || text.size() > 2) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value >= kKindCount) return std::nullopt;
    return static_cast<uint8_t>(value);
}

bool isWriteKind(uint8_t kind) {
    return kind == wrFlash || kind == wrRAM || kind == wrEE || kind == wrSFR || kind == wrI2C;
}

bool isReadKind(uint8_t kind) {
    return kind == rdID || kind == rdFlash || kind == rdRAM || kind == rdEE || kind == rdSFR ||
           kind == rdI2C;
}

}  // namespace velmora::link
