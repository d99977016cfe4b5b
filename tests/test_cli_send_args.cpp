// The words of `velmora-cli send`: options, the bytes in one word or many, refusals.

#include <gtest/gtest.h>

#include "cli/CliArgs.h"
#include "cli/SendCommand.h"

using namespace velmora::cli;

TEST(CliSendArgs, WordsIntoARequest) {
    struct Case {
        std::vector<std::string> words;
        bool ok;
        std::string text;
        bool high;
        uint32_t waitMs;
    };
    const Case cases[] = {
        {{"send", "1", "78"}, true, "1 78", false, 700},
        {{"send", "1 78"}, true, "1 78", false, 700},
        {{"send", "--crc-hi", "1", "78"}, true, "1 78", true, 700},
        {{"send", "--wait", "150", "1 70", "0 50 4"}, true, "1 70 0 50 4", false, 150},
        {{"--port", "/dev/pts/9", "send", "1", "--wait", "0", "78"}, true, "1 78", false, 0},
        {{"send"}, false, "", false, 0},
        {{"send", "   "}, false, "", false, 0},
        {{"send", "--wait", "1", "78"}, true, "78", false, 1},
        {{"send", "--wait"}, false, "", false, 0},
        {{"send", "--wait", "-5", "1"}, false, "", false, 0},
        {{"send", "--wait", "600001", "1"}, false, "", false, 0},
        {{"send", "--wait", "x", "1"}, false, "", false, 0},
    };
    for (const Case& c : cases) {
        std::string error;
        auto args = parseCliArgs(c.words, error);
        ASSERT_EQ(args.has_value(), c.ok) << c.words.back() << " " << error;
        if (!c.ok) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        EXPECT_EQ(args->command, CliArgs::Command::Send);
        EXPECT_EQ(args->send.text, c.text);
        EXPECT_EQ(args->send.crcHighFirst, c.high);
        EXPECT_EQ(args->send.waitMs, c.waitMs);
        EXPECT_FALSE(sendRefusal(args->send));
    }
}

TEST(CliSendArgs, BadBytesAreRefusedBeforeThePortOpens) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"send", "1", "7Z"}, "'$7Z' is not a valid integer value"},
        {{"send", "1 2G4"}, "'$G4' is not a valid integer value"},
    };
    for (const auto& [words, message] : cases) {
        std::string error;
        auto args = parseCliArgs(words, error);
        ASSERT_TRUE(args) << error;
        auto refusal = sendRefusal(args->send);
        EXPECT_EQ(refusal.value_or(""), message);
    }
    std::vector<std::string> many{"send"};
    for (int i = 0; i < 255; ++i) many.push_back("AA");
    std::string error;
    auto args = parseCliArgs(many, error);
    ASSERT_TRUE(args);
    EXPECT_EQ(sendRefusal(args->send).value_or(""), "Команда длиннее 254 байт не передается");
}
