#pragma once
// Reads Intel HEX text (record types 00, 01 and 04, as PIC18 tools write them) into the
// firmware images. Flash data go to FlashImage, shifted by `flashShift`; data under the
// upper address 0x00F0 (0xF00000, a PIC18 file's EEPROM area) go to EepromImage; data
// under any other upper address (configuration bits, identifier locations) are checked
// and dropped. A file that is rejected leaves the images exactly as they were: a half
// read image must never be burnt into a module.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/FirmwareImages.h"

namespace velmora::firmware {

enum class HexProblem {
    None,
    NoLines,         // the file holds no lines at all
    Structure,       // a line that does not start with ':' or is not whole pairs
    Checksum,        // the record's checksum does not match
    NotHex,          // a pair that is not two hexadecimal digits
    ShortRecord,     // fewer data pairs than the record's count promises
    OutsideMemory,   // Flash data beyond 0xFFFF after the shift, EEPROM beyond 0x3FF
};

struct HexLoadResult {
    HexProblem problem = HexProblem::None;
    size_t line = 0;         // 1-based line of the problem
    std::string badPair;     // the offending text, for NotHex
    bool ok() const { return problem == HexProblem::None; }
};

// The address ranges found, as the protocol log lists them: the header line first,
// then one line a range.
struct HexListing {
    std::vector<std::string> lines;
};

HexLoadResult loadHexText(std::string_view text, uint16_t flashShift, FirmwareImages& images,
                          HexListing* listing = nullptr);

// The text the user is shown for a rejected file, naming the line.
std::string hexProblemMessage(const HexLoadResult& result);

// "        " + " Start Adres" + "   Fin Adres" + "  Len (byte)"
std::string hexListingHeader();

}  // namespace velmora::firmware
