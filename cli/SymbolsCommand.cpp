#include "cli/SymbolsCommand.h"

#include <algorithm>

#include "cli/CommandOptions.h"
#include "common/HexText.h"
#include "symbols/SymbolFile.h"

namespace velmora::cli {

int runSymbols(const std::string& file, std::FILE* out, std::FILE* err) {
    const symbols::SymbolRead read = symbols::readSymbolFile(file);
    if (!read.ok()) {
        std::fprintf(err, "velmora-cli: %s\n", read.error.c_str());
        return 2;
    }
    std::fputs(symbols::symbolLines(read.table).c_str(), out);
    return 0;
}

bool nameToAddress(std::string& word, const std::string& file, std::string& error) {
    const symbols::SymbolRead read = symbols::readSymbolFile(file);
    if (!read.ok()) {
        error = read.error;
        return false;
    }
    const auto address = symbols::ramAddressOrName(word, read.table);
    if (!address) {
        error = "'" + word + "' is neither a RAM address (hex 000..FFF) nor a name in " + file;
        return false;
    }
    if (read.table.addressOf(word)) word = hexNumber(*address, 3);
    return true;
}

bool nameToAddressIn(std::vector<std::string>& words, size_t position, std::string& error) {
    const auto option = std::find(words.begin(), words.end(), "--symbols");
    if (option == words.end()) return true;
    if (option + 1 == words.end()) {
        error = "--symbols needs a value";
        return false;
    }
    const std::string file = *(option + 1);
    words.erase(option, option + 2);
    size_t seen = 0;
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i].rfind("--", 0) == 0) {
            auto rule = generalOption(words[i]);
            if (!rule) rule = commandOption(words[i]);
            if (rule && rule->takesValue) ++i;
            continue;
        }
        if (seen++ == position) return nameToAddress(words[i], file, error);
    }
    return true;
}

}  // namespace velmora::cli
