#include "cli/SfrCommand.h"

#include <cstdio>

#include "cli/ViewCommandWords.h"
#include "common/NumberText.h"
#include "views/MemoryReads.h"
#include "views/MemoryWrites.h"
#include "views/NameTables.h"
#include "views/SfrList.h"

namespace velmora::cli {

std::optional<SfrCommand> parseSfrCommand(const std::vector<std::string>& words, uint8_t slave,
                                          std::string& error) {
    if (words.size() != 2 && words.size() != 3) {
        error = "sfr takes CID [NAME=HH]";
        return std::nullopt;
    }
    auto cid = nodeWord(words[1], error);
    if (!cid) return std::nullopt;
    SfrCommand c;
    c.target = access::moduleAt(*cid, slave);
    if (words.size() == 2) return c;
    const std::string& w = words[2];
    const size_t eq = w.find('=');
    if (eq == std::string::npos) {
        error = "sfr writes NAME=HH, not '" + w + "'";
        return std::nullopt;
    }
    c.address = views::sfrAddress(std::string_view(w).substr(0, eq));
    if (!c.address) {
        error = "no register named '" + w.substr(0, eq) + "'";
        return std::nullopt;
    }
    auto v = parseHex(std::string_view(w).substr(eq + 1), 0xFF);
    if (!v) {
        error = "bad value '" + w.substr(eq + 1) + "' (hex 00..FF)";
        return std::nullopt;
    }
    c.value = static_cast<uint8_t>(*v);
    return c;
}

int runSfrCommand(const SfrCommand& c, link::TransactionEngine& engine, std::string& error) {
    if (c.address) {
        if (views::writeSFR(engine, c.target, *c.address, c.value) == views::WriteOutcome::Written)
            return 0;
        error = "Ошибка записи в SFR";
        return 1;
    }
    auto values = views::readSFRBlock(engine, c.target);
    if (!values) {
        error = "the SFRs could not be read";
        return 1;
    }
    for (const std::string& item : views::sfrListItems(values)) std::printf("%s\n", item.c_str());
    return 0;
}

}  // namespace velmora::cli
