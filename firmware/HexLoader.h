#pragma once
// Reads Intel HEX text (data 00, end 01, extended segment address 02 and extended linear
// address 04) into the firmware images. A byte's address is the record's address plus
// the base the last 02 (segment * 16, the offset wrapping within its 64 KB) or 04
// (upper * 65536) record set. Bytes at 0x000000-0x00FFFF go to FlashImage, shifted by
// `flashShift`; at 0xF00000-0xF003FF (a PIC18 file's EEPROM area) to EepromImage; in
// the configuration space 0x200000-0x3FFFFF (identifier locations, configuration bits)
// they are checked and dropped. A byte anywhere else has no place in the module, and a
// file without its end record may be cut short: both are refused. A file that is
// rejected leaves the images exactly as they were: a half read image must never be burnt
// into a module.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/FirmwareImages.h"

namespace velmora::firmware {

// The largest HEX file read: all of Flash and EEPROM in one-byte records is under 1 MB.
inline constexpr size_t kHexFileLimit = 4u << 20;

enum class HexProblem {
    None,
    NoLines,         // the file holds no lines at all
    Structure,       // a line that does not start with ':' or is not whole pairs
    Checksum,        // the record's checksum does not match
    NotHex,          // a pair that is not two hexadecimal digits
    ShortRecord,     // fewer data pairs than the record's count promises
    OutsideMemory,   // a byte outside Flash (after the shift), EEPROM and configuration
    NoEndRecord,     // the lines ran out before the end-of-file record: `line` is the last
};

struct HexLoadResult {
    HexProblem problem = HexProblem::None;
    size_t line = 0;         // 1-based line of the problem
    std::string badPair;     // the offending text, for NotHex
    uint32_t address = 0;    // the byte's address in the file, for OutsideMemory
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
