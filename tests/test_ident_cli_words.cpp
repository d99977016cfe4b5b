// The words of velmora-cli's ident and setlink commands: what each becomes, and the
// refusals, before any port is opened.

#include <gtest/gtest.h>

#include "cli/CliArgs.h"
#include "cli/IdentCommand.h"
#include "cli/SetLinkCommand.h"

using namespace velmora;
using velmora::system::LinkParam;

TEST(IdentCliWords, Ident) {
    std::string error;
    auto args = cli::parseCliArgs({"ident", "1F", "--slave", "10"}, error);
    ASSERT_TRUE(args) << error;
    EXPECT_EQ(args->command, cli::CliArgs::Command::Ident);
    auto c = cli::parseIdentCommand(args->words, args->trans.slave);
    ASSERT_TRUE(std::holds_alternative<cli::IdentCommand>(c));
    EXPECT_EQ(std::get<cli::IdentCommand>(c).cid, 0x1F);
    EXPECT_EQ(std::get<cli::IdentCommand>(c).slave, 0x10);

    const std::vector<std::vector<std::string>> refused = {{}, {"0"}, {"100"}, {"G"}, {"1", "2"}};
    for (const auto& words : refused)
        EXPECT_TRUE(std::holds_alternative<std::string>(cli::parseIdentCommand(words, 0)))
            << words.size();
}

TEST(IdentCliWords, SetLink) {
    std::string error;
    EXPECT_FALSE(cli::parseCliArgs({"setlink", "1", "speed", "9600", "--slave", "10"}, error));
    auto args = cli::parseCliArgs({"setlink", "1", "speed", "9600"}, error);
    ASSERT_TRUE(args) << error;
    EXPECT_EQ(args->command, cli::CliArgs::Command::SetLink);
    EXPECT_EQ(args->words, (std::vector<std::string>{"1", "speed", "9600"}));

    const struct {
        std::vector<std::string> words;
        LinkParam param;
        uint8_t value;
    } good[] = {
        {{"1", "speed", "9600"}, LinkParam::Speed, 0xFF},
        {{"1", "modbus", "7"}, LinkParam::Modbus, 0x07},
        {{"1", "i2c", "2a"}, LinkParam::I2c, 0x2A},
        {{"1", "vector", "FF"}, LinkParam::Vector, 0xFF},
        {{"1", "vector", "0"}, LinkParam::Vector, 0x00},
    };
    for (const auto& c : good) {
        auto r = cli::parseSetLinkCommand(c.words);
        ASSERT_TRUE(std::holds_alternative<cli::SetLinkCommand>(r)) << std::get<std::string>(r);
        EXPECT_EQ(std::get<cli::SetLinkCommand>(r).param, c.param);
        EXPECT_EQ(std::get<cli::SetLinkCommand>(r).value, c.value) << c.words[2];
    }
    const std::vector<std::vector<std::string>> refused = {
        {"1", "speed", "38400"},   // no code for it
        {"1", "speed", "0x2580"},  // speeds are decimal
        {"1", "speed", "-9600"},  {"1", "modbus", "0"},      {"1", "modbus", "100"},
        {"1", "i2c", "G"},        {"0", "speed", "9600"},    {"1", "baud", "9600"},
        {"1", "speed"},           {"1", "vector", "1", "2"},
    };
    for (const auto& words : refused)
        EXPECT_TRUE(std::holds_alternative<std::string>(cli::parseSetLinkCommand(words)))
            << words.size() << " " << words[1];
}
