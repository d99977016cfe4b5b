#pragma once
// The memories of one simulated PIC18 module and its i2c register interface.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::sim {

inline constexpr size_t kRamSize = 0x1000;     // file registers; SFRs at 0xF80..0xFFF
inline constexpr size_t kEepromSize = 0x400;   // data EEPROM
inline constexpr size_t kFlashSize = 0x10000;  // program memory
inline constexpr size_t kIdSize = 252;         // identifier block of a node
inline constexpr uint8_t kRegPage = 0x51;      // RAM byte selecting the i2c window page
// RAM area of a sub-module holding its identifier, read through window pages 8 and 9.
inline constexpr uint16_t kI2cIdBase = 0x400;
// A node's monitor lives below this Flash address and refuses to be written over.
inline constexpr uint16_t kNodeMonitorTop = 0x2000;

// Module reply codes (low six bits of an error reply).
enum Code : uint8_t {
    kOk = 0,
    kUnknownCommand = 1,
    kBadFormat = 2,
    kReadZero = 3,
    kReadTooLong = 4,
    kBadBit = 5,
    kBadAddress = 7,
    kFlashNot64 = 8,
    kFlashNotBlockStart = 9,
    kClosedResource = 10,
    kNoTerminator = 12,
    kNoSlave = 15,
};

struct SimModule {
    SimModule();

    std::array<uint8_t, kRamSize> ram{};
    std::array<uint8_t, kEepromSize> eeprom{};
    std::vector<uint8_t> flash;  // kFlashSize bytes, erased to 0xFF
    std::array<uint8_t, kIdSize> id{};
    uint16_t flashPointer = 0;   // set through register 0xF6
    uint16_t eepromPointer = 0;  // set through register 0xA9
    int initCount = 0;

    // Identifier texts as fields ended by CR, the rest of the block erased.
    static std::vector<uint8_t> identifierBlock(const std::vector<std::string>& fieldsCp1251,
                                                size_t size);

    // i2c register access: registers 0x00..0x7F are RAM 0x000..0x07F, 0x80..0xFF a window
    // onto REG_PAGE x 0x80; with REG_PAGE 0 the programming registers 0xF6, 0xF5, 0xA6,
    // 0xA8, 0xA9 take whole transfers.
    Code i2cRead(uint8_t reg, size_t count, uint8_t* out);
    Code i2cWrite(uint8_t reg, const uint8_t* data, size_t count);

    void writeFlashBlock(uint16_t address, const uint8_t* data);  // 64 bytes

private:
    bool isProgrammingRegister(uint8_t reg) const;
    uint16_t windowAddress(uint8_t reg) const;
};

}  // namespace velmora::sim
