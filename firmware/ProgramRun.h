#pragma once
// "Program with verify": the image written, then, when asked, read back and compared.
// The window's write and velmora-cli program both run this one sequence, so what one
// reports as a success the other does too.

#include "firmware/FirmwareImages.h"
#include "firmware/FirmwareTarget.h"

namespace velmora::firmware {

// Writes at the target's level (a node directly, an i2c module through its registers)
// and verifies only after a write that succeeded. `verifyHooks` report the read-back.
RunResult programModule(ModuleLink& link, const FirmwareImages& images, bool verify,
                        const RunHooks& writeHooks, const RunHooks& verifyHooks);

}  // namespace velmora::firmware
