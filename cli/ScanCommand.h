#pragma once
// velmora-cli scan [--nodes A-B]: the bus scan without a window. One line per node
// found, in the order found: "10: 20 2E", "03:" for a node without modules.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "link/TransactionEngine.h"
#include "system/ScanSweep.h"

namespace velmora::cli {

struct ScanCommand {
    system::NodeRange nodes;  // 01-FF unless narrowed
};

// The words after "scan"; nothing with the reason in `error` when they do not parse.
std::optional<ScanCommand> parseScanCommand(const std::vector<std::string>& words,
                                            std::string& error);

// Exit status: 0 when the sweep ended (also with nothing found), 1 when a limit stopped
// it; the lines found so far are printed either way.
int runScanCommand(const ScanCommand& command, link::TransactionEngine& engine, std::ostream& out,
                   std::ostream& progress);

}  // namespace velmora::cli
