#pragma once
// What the memory-view commands share: the node, the sub-module behind it, and the
// words of their own.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "views/ModuleTarget.h"

namespace velmora::cli {

// The module a command addresses: the node alone, or with --slave the sub-module.
views::ModuleTarget commandTarget(uint8_t cid, uint8_t slave);

// A node address 01..FF typed in hex.
std::optional<uint8_t> nodeWord(const std::string& word, std::string& error);

}  // namespace velmora::cli
