#pragma once
// Reads a module's Flash and EEPROM back, as the programming registers give them: for
// checking a write and for saving a module's firmware before it is replaced.

#include <functional>

#include "firmware/FirmwareImages.h"
#include "firmware/FirmwareTarget.h"

namespace velmora::firmware {

// Reads `count` bytes from `address` on (a multiple of 64, count too). At an i2c module
// REG_PAGE must be 0 (see withPageZero).
uint16_t readFlash(ModuleLink& link, uint32_t address, uint8_t* out, size_t count);
// Reads `count` EEPROM bytes from `address` on (at most 128 at a time are asked for).
uint16_t readEeprom(ModuleLink& link, uint32_t address, uint8_t* out, size_t count);

// Runs `body` with an i2c module's REG_PAGE at 0 and puts the saved page back afterwards,
// whatever `body` returned; at a node it only runs `body`.
RunResult withPageZero(ModuleLink& link, const std::function<RunResult()>& body);

// Reads every block a write sent and every EEPROM cell the image gives, and names the
// first address whose byte differs (outcome Mismatch).
RunResult verifyImages(ModuleLink& link, const FirmwareImages& images, const RunHooks& hooks);

// Reads Flash from the target's bottom address to 0xFFFF and the whole EEPROM into
// `out` (every EEPROM cell given). Everything is read twice; readings that differ end
// the backup (outcome Unsteady).
RunResult backupModule(ModuleLink& link, FirmwareImages& out, const RunHooks& hooks);

}  // namespace velmora::firmware
