#pragma once
// What the simulated chip holds when it starts, as one Intel HEX text for gpsim: a
// blank chip (Flash and EEPROM erased), the monitor with its configuration bits, an
// application above the monitor, and the node's speed code in EEPROM.

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::pic18 {

inline constexpr uint32_t kChipFlashSize = 0x8000;   // PIC18F6520: 32 KB
inline constexpr uint32_t kChipEepromSize = 0x400;
inline constexpr uint32_t kMonitorTop = 0x2000;      // the application starts here
inline constexpr uint16_t kSpeedCell = 0xFD;

// The image, or an empty text with the reason in `error` when the application does
// not fit: a byte below 0x2000 (the monitor's) or past the chip's Flash, or a file
// the program itself would refuse.
std::string chipImage(std::string_view monitorHex, std::string_view applicationHex,
                      uint8_t speedCode, std::string& error);

}  // namespace velmora::pic18
