#pragma once
// What the memory-view commands share: the node's word.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora::cli {

// A node address 01..FF typed in hex.
std::optional<uint8_t> nodeWord(const std::string& word, std::string& error);

}  // namespace velmora::cli
