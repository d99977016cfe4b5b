#pragma once
// Flash and EEPROM of a node (its own commands) or of an i2c module behind it (a pointer
// register and a data register each, with REG_PAGE at 0: PageGuard::moveTo(0) first).
// A data register moves the pointer on with every byte it gives or takes, also when the
// reply is then lost: a try after a failed one sets the pointer again, or it would read
// the bytes that follow the ones asked for, or write into the next cell or row. The
// caller holds the link.

#include <cstddef>
#include <cstdint>

#include "access/ModuleLink.h"
#include "access/Transfer.h"

namespace velmora::access {

// `count` bytes of Flash from `address`, `chunk` bytes a transaction.
Transfer readFlash(ModuleLink& link, uint16_t address, uint8_t* out, size_t count, uint16_t chunk);

enum class EepromPointer {
    EachChunk,  // set before every 128-byte chunk
    RunsOn,     // set for the first chunk; the next starts where the last one left it
};
// `count` EEPROM bytes from `address`, at most 128 a transaction.
Transfer readEeprom(ModuleLink& link, uint16_t address, uint8_t* out, size_t count,
                    EepromPointer pointer);

// One EEPROM byte at an i2c module. `pointerSet`: the pointer already stands at
// `address` (the cell after the one last written); it is left set after a success.
uint16_t writeEepromByte(ModuleLink& link, uint16_t address, uint8_t value, bool& pointerSet);
// One EEPROM byte on its own: at an i2c module with REG_PAGE read, set to 0 and put back.
uint16_t writeEepromCell(ModuleLink& link, uint16_t address, uint8_t value);

// The erase of the 64-byte Flash block at `block` of an i2c module.
uint16_t eraseFlashBlock(ModuleLink& link, uint16_t block);
// One 8-byte Flash row of an i2c module at `at`, after its block's erase.
uint16_t writeFlashRow(ModuleLink& link, uint16_t at, const uint8_t* bytes);

// A 64-byte Flash block of an i2c module: erased, then its eight rows, with the pauses
// given after the erase and after each row (none when 0). `done`: the bytes written.
struct BlockPauses {
    uint32_t afterErase = 0;
    uint32_t afterRow = 0;
};
Transfer writeFlashBlock(ModuleLink& link, uint16_t block, const uint8_t* bytes,
                         BlockPauses pauses);

}  // namespace velmora::access
