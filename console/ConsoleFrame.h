#pragma once
// A typed frame closed by its CRC16 in the byte order chosen in "Передача/прием CRC",
// and the check of a reply in that same order. Only the console lets the order be
// swapped; the engine always sends the low byte first.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::console {

enum class CrcOrder {
    LowFirst,   // "<мл байт><ст байт>"
    HighFirst,  // "<ст байт><мл байт>"
};

// The bytes followed by their CRC16.
std::vector<uint8_t> withCrc(const std::vector<uint8_t>& bytes, CrcOrder order);

// A reply of three bytes or more whose last two are the CRC16 of the rest, in `order`.
bool replyCrcOk(const uint8_t* reply, size_t length, CrcOrder order);

}  // namespace velmora::console
