#pragma once
// A HEX file read for programming one target: the loader's checks first, then what a
// write at that target would send. A file that would send nothing is refused, so that a
// run which wrote nothing is never reported as a file written; Flash bytes below the
// first block the target is written from are counted, so the user learns what was left
// out. The window and velmora-cli program both load through here.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "firmware/FirmwareImages.h"
#include "firmware/FirmwareTarget.h"
#include "firmware/HexLoader.h"

namespace velmora::firmware {

struct WriteCoverage {
    uint16_t bottom = 0;          // the first Flash address a write at the target sends
    size_t bytesBelowBottom = 0;  // Flash bytes other than 0xFF below it: never sent
    size_t flashBlocks = 0;       // 64-byte blocks a write sends
    size_t eepromCells = 0;       // EEPROM cells a write sends
    bool nothingToWrite() const { return flashBlocks == 0 && eepromCells == 0; }
};

WriteCoverage writeCoverage(const FirmwareImages& images, const FirmwareTarget& target);

struct ProgramLoad {
    HexLoadResult hex;
    WriteCoverage coverage;  // when the file was read whole
    bool ok() const { return hex.ok() && !coverage.nothingToWrite(); }
};

// Reads `text` as loadHexText does, into `images` only when the file is good and gives
// the target something to write; otherwise `images` are left as they were.
ProgramLoad loadForProgramming(std::string_view text, uint16_t flashShift,
                               const FirmwareTarget& target, FirmwareImages& images,
                               HexListing* listing = nullptr);

// The refusal shown for a file that was read whole but gives nothing to write.
std::string nothingToWriteMessage(const WriteCoverage& coverage);
// "Не записано N байт Flash ниже адреса XXXX", or nothing when no byte is left out.
std::string belowBottomNote(const WriteCoverage& coverage);

}  // namespace velmora::firmware
