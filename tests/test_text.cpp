// Hexadecimal text, the Windows-1251 conversion and the command line of velmora-cli.

#include <gtest/gtest.h>

#include "cli/CliArgs.h"
#include "common/Cp1251.h"
#include "common/HexText.h"
#include "common/NumberText.h"

using namespace velmora;

TEST(HexText, Numbers) {
    EXPECT_EQ(hexNumber(0x5, 2), "05");
    EXPECT_EQ(hexNumber(0x2000, 4), "2000");
    EXPECT_EQ(hexNumber(0x1A3, 3), "1A3");
    EXPECT_EQ(hexNumber(0x12345, 4), "12345");
    EXPECT_EQ(parseHex("ff"), 0xFFu);
    EXPECT_EQ(parseHex("1A3"), 0x1A3u);
    EXPECT_EQ(parseHex(""), std::nullopt);
    EXPECT_EQ(parseHex("0x10"), std::nullopt);
    EXPECT_EQ(parseHex("100", 0xFF), std::nullopt);
    EXPECT_EQ(parseHex("FFFFFFFFF"), std::nullopt);
}

TEST(HexText, ByteLists) {
    EXPECT_EQ(hexBytes(reinterpret_cast<const uint8_t*>("\x01\x78\x00\x02"), 4), "01 78 00 02 ");
    EXPECT_EQ(parseHexByteList("  1 7a\tFF  "), (std::vector<uint8_t>{1, 0x7A, 0xFF}));
    EXPECT_EQ(parseHexByteList(""), std::vector<uint8_t>{});
    EXPECT_EQ(parseHexByteList("1 100"), std::nullopt);
    EXPECT_EQ(parseHexByteList("1 G"), std::nullopt);
}

TEST(NumberText, DecimalTakesOneSignAtMost) {
    EXPECT_EQ(parseDecimal("+42", 0, 100), 42);
    EXPECT_EQ(parseDecimal("-5", -10, 10), -5);
    EXPECT_EQ(parseDecimal("+-5", -10, 10), std::nullopt);
    EXPECT_EQ(parseDecimal("-+5", -10, 10), std::nullopt);
    EXPECT_EQ(parseDecimal("++5", -10, 10), std::nullopt);
    EXPECT_EQ(parseDecimal("+", -10, 10), std::nullopt);
    EXPECT_EQ(parseDecimal("", -10, 10), std::nullopt);
}

TEST(Cp1251, RoundTripsCyrillic) {
    const std::string text = "Контроллер не ответил ЁёЇї №";
    std::string wire = utf8ToCp1251(text);
    EXPECT_EQ(static_cast<uint8_t>(wire[0]), 0xCA);  // К
    EXPECT_EQ(wire.size(), 28u);
    EXPECT_EQ(cp1251ToUtf8(wire), text);
}

TEST(Cp1251, UnmappableBecomesQuestionMark) {
    EXPECT_EQ(utf8ToCp1251("a\xE2\x82\xAC"
                           "b"),
              "a\x88"
              "b");                                // the euro sign has a code
    EXPECT_EQ(utf8ToCp1251("\xE6\x97\xA5"), "?");  // a CJK character has none
    EXPECT_EQ(utf8ToCp1251("\xFF"), "?");          // malformed
    EXPECT_EQ(utf8ToCp1251("\xD0"), "?");          // cut short
}

TEST(Cp1251, OverLongFormsAreMalformed) {
    // 'A' (0x41) and U+0401 'Ё' (0xA8) in forms longer than the shortest one.
    EXPECT_EQ(utf8ToCp1251("\xC1\x81"), "??");
    EXPECT_EQ(utf8ToCp1251("\xE0\x81\x81"), "???");
    EXPECT_EQ(utf8ToCp1251("\xE0\x90\x81"), "???");
    EXPECT_EQ(utf8ToCp1251("\xF0\x80\x90\x81"), "????");
    EXPECT_EQ(utf8ToCp1251("\xD0\x81"), "\xA8");  // the shortest form still converts
}

namespace {
std::optional<cli::CliArgs> parse(std::vector<std::string> words, std::string& error) {
    return cli::parseCliArgs(words, error);
}
}  // namespace

TEST(CliArgs, Transaction) {
    std::string error;
    auto a = parse({"--port", "/dev/pts/3", "--speed", "9600", "--log", "trans", "1", "rdI2C", "80",
                    "10", "--slave", "22", "--retries", "1"},
                   error);
    ASSERT_TRUE(a) << error;
    EXPECT_EQ(a->port, "/dev/pts/3");
    EXPECT_EQ(a->speed, 9600u);
    EXPECT_TRUE(a->log);
    EXPECT_EQ(a->trans.cid, 1);
    EXPECT_EQ(a->trans.kind, 9);
    EXPECT_EQ(a->trans.address, 0x80);
    EXPECT_EQ(a->trans.count, 0x10);
    EXPECT_EQ(a->trans.slave, 0x22);
    EXPECT_EQ(a->trans.retries, 1);
}

TEST(CliArgs, WriteNeedsItsData) {
    std::string error;
    auto a = parse({"trans", "1", "4", "123", "2", "--data", "AA bb"}, error);
    ASSERT_TRUE(a) << error;
    EXPECT_EQ(a->trans.data, (std::vector<uint8_t>{0xAA, 0xBB}));
    EXPECT_EQ(a->trans.retries, 3);
}

TEST(CliArgs, BadInputsSayWhy) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"trans", "1", "rdRAM", "0"}, "trans takes CID KIND ADDR COUNT"},
        {{"trans", "100", "rdRAM", "0", "1"}, "bad CID '100' (hex 00..FF)"},
        {{"trans", "1", "readRAM", "0", "1"}, "bad KIND 'readRAM' (rdID ... initMod, or 0..11)"},
        {{"trans", "1", "rdRAM", "10000", "1"}, "bad ADDR '10000' (hex 0000..FFFF)"},
        {{"trans", "1", "wrRAM", "0", "2", "--data", "01"},
         "a write of COUNT bytes needs --data with exactly COUNT bytes"},
        {{"trans", "1", "rdRAM", "0", "2", "--data", "01 02"}, "--data goes with write kinds only"},
        {{"trans", "1", "rdRAM", "0", "2", "--retries", "300"},
         "bad retries '300' (decimal 0..255)"},
        {{"--speed", "fast", "ports"}, "bad speed 'fast'"},
        {{"--port"}, "--port needs a value"},
        {{"--flow", "xon", "ports"}, "--flow takes hw or none"},
    };
    for (auto& [words, message] : cases) {
        std::string error;
        EXPECT_FALSE(parse(words, error));
        EXPECT_EQ(error, message);
    }
}
