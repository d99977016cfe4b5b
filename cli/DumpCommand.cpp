#include "cli/DumpCommand.h"

#include <cstdio>

#include "cli/ViewCommandWords.h"
#include "common/HexText.h"
#include "views/MemoryReads.h"

namespace velmora::cli {

namespace {

// One past the last address of each memory, as the views page through it.
uint32_t memoryEnd(DumpCommand::Memory m) {
    switch (m) {
        case DumpCommand::Memory::Ram:
            return 0x1000;
        case DumpCommand::Memory::Eeprom:
            return 0x400;
        case DumpCommand::Memory::Flash:
            break;
    }
    return 0x10000;
}

}  // namespace

std::optional<DumpCommand> parseDumpCommand(const std::vector<std::string>& words, uint8_t slave,
                                            const std::optional<std::string>& pagesWord,
                                            std::string& error) {
    if (words.size() != 4) {
        error = "dump takes ram|ee|flash CID ADDR";
        return std::nullopt;
    }
    DumpCommand c;
    if (words[1] == "ram")
        c.memory = DumpCommand::Memory::Ram;
    else if (words[1] == "ee")
        c.memory = DumpCommand::Memory::Eeprom;
    else if (words[1] == "flash")
        c.memory = DumpCommand::Memory::Flash;
    else {
        error = "dump reads ram, ee or flash, not '" + words[1] + "'";
        return std::nullopt;
    }
    auto cid = nodeWord(words[2], error);
    if (!cid) return std::nullopt;
    const uint32_t end = memoryEnd(c.memory);
    auto adr = parseHex(words[3], end - 1);
    if (!adr) {
        error = "bad ADDR '" + words[3] + "' (hex 0.." + hexNumber(end - 1, 1) + ")";
        return std::nullopt;
    }
    if (pagesWord) {
        auto n = parseUnsigned(*pagesWord, 256);
        if (!n || *n == 0) {
            error = "bad --pages '" + *pagesWord + "' (decimal 1..256)";
            return std::nullopt;
        }
        c.pages = static_cast<unsigned>(*n);
    }
    c.firstPage = static_cast<uint16_t>(*adr & 0xFF00);
    if (c.firstPage + c.pages * 0x100u > end) {
        error = "the pages run past the memory's end " + hexNumber(end - 1, 1);
        return std::nullopt;
    }
    c.target = access::moduleAt(*cid, slave);
    return c;
}

std::string dumpLines(uint32_t base, const uint8_t* bytes) {
    std::string out;
    for (int row = 0; row < 16; ++row) {
        out += hexNumber(base + 16u * static_cast<uint32_t>(row), 4) + ":";
        for (int i = 0; i < 16; ++i) out += " " + hexNumber(bytes[row * 16 + i], 2);
        out += "\n";
    }
    return out;
}

int runDumpCommand(const DumpCommand& c, link::TransactionEngine& engine, std::string& error) {
    for (unsigned p = 0; p < c.pages; ++p) {
        const auto base = static_cast<uint16_t>(c.firstPage + p * 0x100u);
        views::PageRead page;
        switch (c.memory) {
            case DumpCommand::Memory::Ram:
                page = views::readRAMPage(engine, c.target, base);
                break;
            case DumpCommand::Memory::Eeprom:
                page = views::readEEPage(engine, c.target, base);
                break;
            case DumpCommand::Memory::Flash:
                page = views::readFlashPage(engine, c.target, base);
                break;
        }
        if (!page.complete()) {
            error = "page " + hexNumber(base, 4) + " could not be read";
            return 1;
        }
        std::fputs(dumpLines(base, page.bytes.data()).c_str(), stdout);
    }
    return 0;
}

}  // namespace velmora::cli
