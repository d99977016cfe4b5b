// The words of velmora-cli's dump, sfr and poke commands: what each becomes and what is
// refused.

#include <gtest/gtest.h>

#include "cli/CliArgs.h"

using namespace velmora::cli;

namespace {
std::optional<CliArgs> parse(std::vector<std::string> words, std::string& error) {
    return parseCliArgs(words, error);
}
}  // namespace

TEST(ViewCommands, DumpWords) {
    struct Case {
        std::vector<std::string> words;
        DumpCommand::Memory memory;
        uint16_t firstPage;
        unsigned pages;
        uint8_t level;
    };
    const Case cases[] = {
        {{"dump", "ram", "1", "123"}, DumpCommand::Memory::Ram, 0x100, 1, 1},
        {{"dump", "ee", "1", "3FF", "--slave", "10"}, DumpCommand::Memory::Eeprom, 0x300, 1, 2},
        {{"dump", "flash", "1", "2050", "--pages", "3"}, DumpCommand::Memory::Flash, 0x2000, 3, 1},
        {{"dump", "flash", "1", "FF00"}, DumpCommand::Memory::Flash, 0xFF00, 1, 1},
        {{"--pages", "16", "dump", "ram", "01", "0"}, DumpCommand::Memory::Ram, 0x000, 16, 1},
    };
    for (const Case& c : cases) {
        std::string error;
        auto a = parse(c.words, error);
        ASSERT_TRUE(a) << error;
        ASSERT_EQ(a->command, CliArgs::Command::Dump);
        EXPECT_EQ(a->dump->memory, c.memory);
        EXPECT_EQ(a->dump->firstPage, c.firstPage);
        EXPECT_EQ(a->dump->pages, c.pages);
        EXPECT_EQ(a->dump->target.level, c.level);
    }
}

TEST(ViewCommands, RefusedWords) {
    const std::vector<std::vector<std::string>> cases = {
        {"dump", "rom", "1", "0"},                    // no such memory
        {"dump", "ram", "0", "0"},                    // nobody answers node 00
        {"dump", "ram", "1", "1000"},                 // RAM ends at FFF
        {"dump", "ee", "1", "400"},                   // EEPROM ends at 3FF
        {"dump", "ram", "1", "F00", "--pages", "2"},  // runs past FFF
        {"dump", "flash", "1", "0", "--pages", "0"},
        {"dump", "flash", "1", "0", "--pages", "x"},
        {"dump", "ram", "1"},
        {"sfr", "1", "LATB"},      // no value
        {"sfr", "1", "latb=12"},   // names are exact
        {"sfr", "1", "LATB=123"},  // one byte
        {"sfr", "1", "LATB="},
        {"sfr"},
        {"poke", "ram", "1", "1000", "00"},
        {"poke", "ee", "1", "400", "00"},
        {"poke", "flash", "1", "0", "00"},
        {"poke", "ram", "1", "10", ""},
        {"poke", "ram", "1", "10", "1FF"},
        {"trans", "1", "rdRAM", "0", "1", "--pages", "2"},
    };
    for (const auto& words : cases) {
        std::string error;
        EXPECT_FALSE(parse(words, error)) << words[0] << " " << (words.size() > 1 ? words[1] : "");
        EXPECT_FALSE(error.empty());
    }
}

TEST(ViewCommands, SfrAndPokeWords) {
    std::string error;
    auto list = parse({"sfr", "A", "--slave", "22"}, error);
    ASSERT_TRUE(list) << error;
    EXPECT_FALSE(list->sfr->address);
    EXPECT_EQ(list->sfr->target.cid, 0x0A);
    EXPECT_EQ(list->sfr->target.slave, 0x22);
    EXPECT_EQ(list->sfr->target.level, 2);

    auto write = parse({"sfr", "1", "LATB=1f"}, error);
    ASSERT_TRUE(write) << error;
    EXPECT_EQ(write->sfr->address, 0xF8A);
    EXPECT_EQ(write->sfr->value, 0x1F);

    auto poke = parse({"poke", "ee", "1", "3FE", "42", "--slave", "10"}, error);
    ASSERT_TRUE(poke) << error;
    EXPECT_TRUE(poke->poke->eeprom);
    EXPECT_EQ(poke->poke->address, 0x3FE);
    EXPECT_EQ(poke->poke->value, 0x42);
    EXPECT_EQ(poke->poke->target.level, 2);
}

TEST(ViewCommands, DumpLinesLayout) {
    uint8_t bytes[256];
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(i);
    const std::string text = dumpLines(0x0300, bytes);
    const std::string first = "0300: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n";
    const std::string last = "03F0: F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF\n";
    EXPECT_EQ(text.substr(0, first.size()), first);
    EXPECT_EQ(text.substr(text.size() - last.size()), last);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 16);
}
