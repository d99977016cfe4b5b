#pragma once
// The add-node dialog's address field: which typed characters it takes (letters upper
// cased; an even digit second, so a typed address is always even) and what it reads as.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora::system {

// The character to insert for `typed` into a field holding `length` characters, or
// nothing when the key is discarded. Editing keys are not characters and are not asked.
std::optional<char> addressFieldChar(size_t length, char typed);

// The field read as a hexadecimal node address: nothing when it is empty, not
// hexadecimal, 0, or above FF.
std::optional<uint8_t> nodeAddressOf(std::string_view field);

// The speed entry read as a decimal number, leading blanks ignored.
std::optional<uint32_t> speedOfEntry(std::string_view entry);

// The entry that shows a port speed: "   9600", " 19200", " 57600", else "115200".
int speedEntryIndex(uint32_t baud);

}  // namespace velmora::system
