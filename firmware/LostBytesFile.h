#pragma once
// The kept bytes a failed erase could not put back: named by address in the failure's
// message and saved to a HEX file, so what the module lost is never lost to the user too.

#include <optional>
#include <string>
#include <vector>

#include "firmware/FirmwareTarget.h"
#include "firmware/FlashEraser.h"

namespace velmora::firmware {

// The addresses as runs: "7540-757E", "7540, 7542-7543".
std::string lostAddressText(const std::vector<LostByte>& lost);

// Writes the failed block as the erase meant to leave it (`r.meant` at `r.address`) as
// Intel HEX into a new file in `folder`: "velmora-lost-01-10-7540.hex" (node, i2c
// module, block), with "-2", "-3"... added while a file of that name exists; an existing
// file is never written over. Returns the file's path, or nothing with `error` set.
std::optional<std::string> saveLostBytes(const EraseResult& r, const FirmwareTarget& target,
                                         const std::string& folder, std::string& error);

// The failure's own line: "Не восстановлены байты 7540-757E; сохранены в файле <path>",
// or, when the file could not be written, the bytes themselves in the message.
std::string lostBytesMessage(const EraseResult& r, const std::optional<std::string>& path,
                             const std::string& saveError);

}  // namespace velmora::firmware
