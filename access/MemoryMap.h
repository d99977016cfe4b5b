#pragma once
// A module's memories as reached from the line. RAM is 0x000..0xFFF, the SFRs its top
// 128 bytes. An i2c module behind a node is reached through its registers: registers
// 0x00..0x7F are RAM 0x000..0x07F; registers 0x80..0xFF are a 128-byte window onto the
// RAM page REG_PAGE (RAM byte 0x51) selects. Its Flash and EEPROM are reached through a
// pointer register and a data register each; the data register moves the pointer on
// with every byte it gives or takes.

#include <cstdint>

namespace velmora::access {

inline constexpr uint8_t kRegUser = 0x50;           // read before programming starts
inline constexpr uint8_t kRegPage = 0x51;           // REG_PAGE: RAM byte and register
inline constexpr uint8_t kWindowStart = 0x80;       // first register of the RAM window
inline constexpr uint8_t kRegFlashAddress = 0xF6;   // Flash pointer: low, high, upper byte
inline constexpr uint8_t kRegFlashData = 0xF5;      // Flash bytes; a row written with 55 AA
inline constexpr uint8_t kRegFlashControl = 0xA6;   // 10 55 AA erases the pointer's block
inline constexpr uint8_t kRegEepromAddress = 0xA9;  // EEPROM pointer: low, high
inline constexpr uint8_t kRegEepromData = 0xA8;     // EEPROM bytes; one written with 55 AA

inline constexpr uint32_t kRamEnd = 0x1000;   // RAM is 0x000..0xFFF
inline constexpr uint16_t kSfrStart = 0xF80;  // the SFRs are RAM 0xF80..0xFFF

// The page REG_PAGE must hold for `address` to show in the window: 0 below 0x80.
constexpr uint8_t pageFor(uint16_t address) {
    return address < 0x80 ? 0 : static_cast<uint8_t>(address >> 7);
}

// The register that shows `address` once its page is selected.
constexpr uint8_t registerFor(uint16_t address) {
    return address < 0x80 ? static_cast<uint8_t>(address)
                          : static_cast<uint8_t>(kWindowStart + (address & 0x7F));
}

}  // namespace velmora::access
