#pragma once
// velmora-cli ident CID [--slave S]: the identifier, one line per field as the window's
// list shows it.

#include <cstdint>
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "link/TransactionEngine.h"

namespace velmora::cli {

struct IdentCommand {
    uint8_t cid = 0;
    uint8_t slave = 0;  // 0: the node itself
};

// `words`: what follows "ident"; `slave` from --slave (0 when not given).
std::variant<IdentCommand, std::string> parseIdentCommand(const std::vector<std::string>& words,
                                                          uint8_t slave);

// Prints the lines to `out`, a failure's message to `err`; returns the exit status.
int runIdentCommand(const IdentCommand& c, link::TransactionEngine& engine, std::FILE* out,
                    std::FILE* err, const std::string& namesFile = "titleId.dat");

}  // namespace velmora::cli
