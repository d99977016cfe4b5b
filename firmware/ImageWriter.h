#pragma once
// Writes the firmware images into a module: a node directly (wrFlash, wrEE), an i2c
// module through its programming registers. Blocks of all 0xFF are never sent. The
// stop request is honoured between blocks and between EEPROM bytes; a stopped write is
// never a success. An i2c module's REG_PAGE is put back on every path once it was read.
// At an i2c module a Flash row or EEPROM byte whose reply is lost is tried again with its
// address set again: the data registers move the address on whatever the reply.

#include "firmware/FirmwareImages.h"
#include "firmware/FirmwareTarget.h"

namespace velmora::firmware {

// `WriteImageModbus`
RunResult writeImageModbus(ModuleLink& link, const FirmwareImages& images, const RunHooks& hooks);
// `WriteImageI2c`
RunResult writeImageI2c(ModuleLink& link, const FirmwareImages& images, const RunHooks& hooks);

// The first 64-byte block a write at this level may send, and whether a block is sent.
uint16_t firstWritableBlock(const FirmwareTarget& target);
bool blockIsBlank(const FirmwareImages& images, uint32_t block);

}  // namespace velmora::firmware
