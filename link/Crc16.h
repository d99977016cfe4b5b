#pragma once
// Modbus CRC-16 (reflected polynomial 0xA001, start 0xFFFF), sent low byte first.

#include <cstddef>
#include <cstdint>

namespace velmora::link {

uint16_t crc16(const uint8_t* buf, size_t start, size_t count);

// The frame's last two bytes are the CRC of the bytes before them, low byte first
// (or high byte first when `highFirst`). Frames shorter than three bytes never pass:
// there is nothing for a CRC to cover.
bool frameCrcOk(const uint8_t* frame, size_t length, bool highFirst = false);

// Writes the CRC of frame[0..length) at frame[length], frame[length + 1].
void appendCrc(uint8_t* frame, size_t length, bool highFirst = false);

}  // namespace velmora::link
