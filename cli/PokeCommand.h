#pragma once
// `poke ram|ee CID ADDR HH [--slave S]`: one byte, written as the view's cell editor
// writes it at that level.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "access/ModuleAddress.h"
#include "link/TransactionEngine.h"

namespace velmora::cli {

struct PokeCommand {
    bool eeprom = false;
    access::ModuleAddress target;
    uint16_t address = 0;
    uint8_t value = 0;
};

std::optional<PokeCommand> parsePokeCommand(const std::vector<std::string>& words, uint8_t slave,
                                            std::string& error);

// 0, or 1 when the write failed (with `error` set).
int runPokeCommand(const PokeCommand& c, link::TransactionEngine& engine, std::string& error);

}  // namespace velmora::cli
