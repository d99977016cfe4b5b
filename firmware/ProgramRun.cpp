#include "firmware/ProgramRun.h"

#include "firmware/ImageWriter.h"
#include "firmware/ModuleReader.h"

namespace velmora::firmware {

RunResult programModule(ModuleLink& link, const FirmwareImages& images, bool verify,
                        const RunHooks& writeHooks, const RunHooks& verifyHooks) {
    const RunResult written = link.target().level == 2 ? writeImageI2c(link, images, writeHooks)
                                                       : writeImageModbus(link, images, writeHooks);
    if (!written.ok() || !verify) return written;
    return verifyImages(link, images, verifyHooks);
}

}  // namespace velmora::firmware
