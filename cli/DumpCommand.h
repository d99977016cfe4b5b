#pragma once
// `dump ram|ee|flash CID ADDR [--slave S] [--pages N]`: N pages of 256 bytes from the
// page holding ADDR, each read as its view reads it, 16 lines a page:
// "0100: 00 11 ..." (row address, a colon, 16 bytes each after a blank).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "access/ModuleAddress.h"
#include "link/TransactionEngine.h"

namespace velmora::cli {

struct DumpCommand {
    enum class Memory { Ram, Eeprom, Flash } memory = Memory::Ram;
    access::ModuleAddress target;
    uint16_t firstPage = 0;
    unsigned pages = 1;
};

// `words`: the command's positional words, "dump" first; `pagesWord` the value of
// --pages when given.
std::optional<DumpCommand> parseDumpCommand(const std::vector<std::string>& words, uint8_t slave,
                                            const std::optional<std::string>& pagesWord,
                                            std::string& error);

// Reads and prints the pages; 0, or 1 after the first page that could not be read
// (the pages before it are printed).
int runDumpCommand(const DumpCommand& c, link::TransactionEngine& engine, std::string& error);

// One page's 16 lines.
std::string dumpLines(uint32_t base, const uint8_t* bytes);

}  // namespace velmora::cli
