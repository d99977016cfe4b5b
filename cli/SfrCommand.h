#pragma once
// `sfr CID [--slave S]`: the 128 SFR list items in the view's order, one a line.
// `sfr CID NAME=HH [--slave S]`: writes one register as the SFR view's editor does.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "access/ModuleAddress.h"
#include "link/TransactionEngine.h"

namespace velmora::cli {

struct SfrCommand {
    access::ModuleAddress target;
    std::optional<uint16_t> address;  // a write when set
    uint8_t value = 0;
};

std::optional<SfrCommand> parseSfrCommand(const std::vector<std::string>& words, uint8_t slave,
                                          std::string& error);

// 0, or 1 when the read or write failed (with `error` set).
int runSfrCommand(const SfrCommand& c, link::TransactionEngine& engine, std::string& error);

}  // namespace velmora::cli
