#pragma once
// The two images a HEX file is read into and a module is programmed from. They live for
// the whole run, so the last image read can be written again without the file.

#include <array>
#include <cstdint>

namespace velmora::firmware {

inline constexpr uint32_t kFlashTop = 0xFFFF;
inline constexpr uint32_t kEepromTop = 0x3FF;
inline constexpr uint8_t kErasedFlash = 0xFF;
// An EEPROM cell: the data byte low, 0xFF high when the file gave it, 0x00 when not.
inline constexpr uint16_t kEepromNotGiven = 0x00FF;

struct FirmwareImages {
    std::array<uint8_t, kFlashTop + 1> FlashImage;
    std::array<uint16_t, kEepromTop + 1> EepromImage;

    FirmwareImages() { clear(); }
    void clear() {
        FlashImage.fill(kErasedFlash);
        EepromImage.fill(kEepromNotGiven);
    }
    static bool given(uint16_t cell) { return (cell >> 8) != 0; }
};

}  // namespace velmora::firmware
