#pragma once
// A node's four link parameters kept in its data EEPROM (speed, Modbus address, i2c
// address, vector), as the identifier list shows them on lines 16 to 19, and the one
// EEPROM write that changes each. Shared by the window's editor and `velmora-cli setlink`.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/TransactionEngine.h"

namespace velmora::system {

enum class LinkParam { Speed, Modbus, I2c, Vector };

struct LinkParamInfo {
    LinkParam param;
    int listLine;         // the identifier list's line that carries it
    uint16_t eeAddress;   // where the node keeps it
    size_t builtInName;   // the built-in name the editor labels it with
    const char* cliWord;  // velmora-cli setlink's word for it
};
inline constexpr std::array<LinkParamInfo, 4> kLinkParams = {{
    {LinkParam::Speed, 16, 0xFD, 12, "speed"},
    {LinkParam::Modbus, 17, 0xFF, 13, "modbus"},
    {LinkParam::I2c, 18, 0xFE, 14, "i2c"},
    {LinkParam::Vector, 19, 0xFC, 15, "vector"},
}};

// The parameter edited from a list line; nothing for the other lines.
const LinkParamInfo* linkParamOfLine(int line);
const LinkParamInfo& linkParamInfo(LinkParam p);

// The node's speeds and the codes its EEPROM holds for them.
struct SpeedCode {
    uint32_t bps;
    uint8_t code;
    const char* entry;  // as the editor's list shows it
};
inline constexpr std::array<SpeedCode, 4> kSpeedCodes = {{
    {9600, 0xFF, "   9600"},
    {19200, 0x81, " 19200"},
    {57600, 0x2A, "  57600"},
    {115200, 0x15, "115200"},
}};
std::optional<uint8_t> speedCode(uint32_t bps);

// The part of a list line after its first colon (all of it when there is none).
std::string_view afterFirstColon(std::string_view line);
// A speed as a line shows it: decimal, leading blanks ignored.
std::optional<uint32_t> lineSpeed(std::string_view line);
// The editor's text: one or two hexadecimal digits, blanks around ignored.
std::optional<uint8_t> parseParamByte(std::string_view text);

// What a key typed into the editor's field becomes: hexadecimal digits (letters in upper
// case), Backspace (8), Ctrl+C (3) and code 7 pass; 0 rejects the key.
char paramKey(char typed);

// Why `value` must not be written as `param`; empty when it may. A node at Modbus
// address 0 would listen only to broadcasts, which nobody answers, so it could never be
// reached again to put it right.
std::string paramRefusal(LinkParam param, uint8_t value);

// One EEPROM write of one byte to the node, one attempt; returns the result code.
uint16_t writeLinkParam(link::TransactionEngine& engine, uint8_t cid, LinkParam param,
                        uint8_t value);

inline constexpr const char* kEepromWriteFailed = "Ошибка чтения EEPROM";

}  // namespace velmora::system
