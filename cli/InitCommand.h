#pragma once
// velmora-cli init CID: the module initialisation (kind initMod, one attempt).

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "link/TransactionEngine.h"

namespace velmora::cli {

struct InitCommand {
    uint8_t cid = 0;
};

std::optional<InitCommand> parseInitCommand(const std::vector<std::string>& words,
                                            std::string& error);

// Exit status 0 on result 0, else 1 with the result on `err`.
int runInitCommand(const InitCommand& command, link::TransactionEngine& engine, std::ostream& err);

}  // namespace velmora::cli
