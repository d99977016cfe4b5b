#include "cli/PokeCommand.h"

#include "cli/ViewCommandWords.h"
#include "common/HexText.h"
#include "views/MemoryWrites.h"

namespace velmora::cli {

std::optional<PokeCommand> parsePokeCommand(const std::vector<std::string>& words, uint8_t slave,
                                            std::string& error) {
    if (words.size() != 5) {
        error = "poke takes ram|ee CID ADDR HH";
        return std::nullopt;
    }
    PokeCommand c;
    if (words[1] == "ee")
        c.eeprom = true;
    else if (words[1] != "ram") {
        error = "poke writes ram or ee, not '" + words[1] + "'";
        return std::nullopt;
    }
    auto cid = nodeWord(words[2], error);
    if (!cid) return std::nullopt;
    const uint32_t last = c.eeprom ? 0x3FF : 0xFFF;
    auto adr = parseHex(words[3], last);
    if (!adr) {
        error = "bad ADDR '" + words[3] + "' (hex 0.." + hexNumber(last, 3) + ")";
        return std::nullopt;
    }
    auto v = parseHex(words[4], 0xFF);
    if (!v) {
        error = "bad value '" + words[4] + "' (hex 00..FF)";
        return std::nullopt;
    }
    c.target = access::moduleAt(*cid, slave);
    c.address = static_cast<uint16_t>(*adr);
    c.value = static_cast<uint8_t>(*v);
    return c;
}

int runPokeCommand(const PokeCommand& c, link::TransactionEngine& engine, std::string& error) {
    const auto done = c.eeprom ? views::writeEECell(engine, c.target, c.address, c.value)
                               : views::writeRAMCell(engine, c.target, c.address, c.value);
    if (done == views::WriteOutcome::Written) return 0;
    error = c.eeprom ? "Ошибка записи в SEEPROM" : "the RAM write failed";
    return 1;
}

}  // namespace velmora::cli
