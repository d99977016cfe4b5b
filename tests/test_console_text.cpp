// The console's text rules: typed bytes, the CRC in either order, the log lines, the key
// filter. Expected bytes and CRCs are worked out by hand from the Modbus CRC rules.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/CommandKeyFilter.h"
#include "console/CommandTokenizer.h"
#include "console/ConsoleFrame.h"
#include "console/ConsoleLines.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora;
using namespace velmora::console;
using test::bytesOf;
using test::hexOf;

namespace {

ParsedCommand inPieces(const std::string& text, size_t piece) {
    CommandTokenizer t;
    for (size_t i = 0; i < text.size(); i += piece) t.feed(text.substr(i, piece));
    return t.finish();
}

std::string repeated(const std::string& token, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += token + " ";
    return out;
}

}  // namespace

TEST(ConsoleTokens, BytesAsTypedWholeAndInEveryPieceSize) {
    struct Case {
        std::string text;
        std::string bytes;  // expected, hex
        CommandError error;
        std::string message;
    };
    const Case cases[] = {
        {"1 78", "01 78", CommandError::None, ""},
        {"   1  70 0   10 4   ", "01 70 00 10 04", CommandError::None, ""},
        {"123", "23", CommandError::None, ""},
        {"1 ABCDEF", "01 EF", CommandError::None, ""},
        {"ff a 0", "FF 0A 00", CommandError::None, ""},  // pasted lower case
        {"\t1 78\r\n", "01 78", CommandError::None, ""},  // trimmed at both ends
        {"", "", CommandError::None, ""},
        {"     ", "", CommandError::None, ""},
        {"01 7G", "", CommandError::BadToken, "'$7G' is not a valid integer value"},
        {"12G4 01", "", CommandError::BadToken, "'$G4' is not a valid integer value"},
        {"01 -1", "", CommandError::BadToken, "'$-1' is not a valid integer value"},
        {"01 +1", "", CommandError::BadToken, "'$+1' is not a valid integer value"},
        {"1\t2", "", CommandError::BadToken, "'$\t2' is not a valid integer value"},
        {"01 жж", "", CommandError::BadToken, "'$жж' is not a valid integer value"},
        {"1ж2", "", CommandError::BadToken, "'$ж2' is not a valid integer value"},
        {"0Z 1 ZZ", "", CommandError::BadToken, "'$0Z' is not a valid integer value"},
        {"1 A\xD0", "", CommandError::BadToken, "'$A\xD0' is not a valid integer value"},
        {repeated("1", 254), std::string(), CommandError::None, ""},
        {repeated("1", 255), "", CommandError::TooLong, "Команда длиннее 254 байт не передается"},
        {repeated("1", 300) + "QQ", "", CommandError::BadToken,
         "'$QQ' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        for (size_t piece : {c.text.size() + 1, size_t{1}, size_t{2}, size_t{3}}) {
            const ParsedCommand p = piece > c.text.size() ? parseCommandLine(c.text)
                                                          : inPieces(c.text, piece);
            SCOPED_TRACE("'" + c.text.substr(0, 40) + "' in pieces of " + std::to_string(piece));
            EXPECT_EQ(p.error, c.error);
            EXPECT_EQ(commandErrorText(p), c.message);
            if (c.text.size() == 254 * 2)
                EXPECT_EQ(p.bytes, std::vector<uint8_t>(254, 0x01));
            else
                EXPECT_EQ(hexOf(p.bytes), c.bytes);
        }
    }
}

TEST(ConsoleFrame, CrcInTheChosenOrder) {
    struct Case {
        std::string bytes, low, high;
    };
    // CRC16 (0xA001 reflected, start 0xFFFF): 01 78 -> 0x0200, 01 70 00 10 04 -> 0x030F,
    // 23 -> 0x99FE, the digits 1..9 -> 0x4B37.
    const Case cases[] = {
        {"01 78", "01 78 00 02", "01 78 02 00"},
        {"01 70 00 10 04", "01 70 00 10 04 0F 03", "01 70 00 10 04 03 0F"},
        {"23", "23 FE 99", "23 99 FE"},
        {"31 32 33 34 35 36 37 38 39", "31 32 33 34 35 36 37 38 39 37 4B",
         "31 32 33 34 35 36 37 38 39 4B 37"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hexOf(withCrc(bytesOf(c.bytes), CrcOrder::LowFirst)), c.low);
        EXPECT_EQ(hexOf(withCrc(bytesOf(c.bytes), CrcOrder::HighFirst)), c.high);
        const auto low = bytesOf(c.low), high = bytesOf(c.high);
        EXPECT_TRUE(replyCrcOk(low.data(), low.size(), CrcOrder::LowFirst)) << c.low;
        EXPECT_FALSE(replyCrcOk(low.data(), low.size(), CrcOrder::HighFirst)) << c.low;
        EXPECT_TRUE(replyCrcOk(high.data(), high.size(), CrcOrder::HighFirst)) << c.high;
        EXPECT_FALSE(replyCrcOk(high.data(), high.size(), CrcOrder::LowFirst)) << c.high;
    }
}

TEST(ConsoleLines, RepliesCutAtSixteenBytes) {
    std::vector<uint8_t> reply(256);
    for (size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<uint8_t>(i);
    struct Case {
        size_t length;
        std::vector<size_t> perLine;  // bytes on each line
    };
    // A line is cut off while more than 50 characters (17 bytes) are left.
    const Case cases[] = {{0, {}},          {1, {1}},           {2, {2}},
                          {16, {16}},       {17, {16, 1}},      {20, {16, 4}},
                          {32, {16, 16}},   {33, {16, 16, 1}},  {256, std::vector<size_t>(16, 16)}};
    for (const Case& c : cases) {
        const std::vector<LogLine> lines = replyLines(reply.data(), c.length);
        ASSERT_EQ(lines.size(), c.perLine.size()) << c.length;
        size_t at = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string prefix = i == 0 && lines.size() > 1 ? "<= " : "   ";
            const std::vector<uint8_t> part(reply.begin() + static_cast<long>(at),
                                            reply.begin() + static_cast<long>(at + c.perLine[i]));
            EXPECT_EQ(lines[i].text, prefix + hexOf(part) + " ") << c.length << " line " << i;
            at += c.perLine[i];
        }
    }
}

TEST(ConsoleLines, TwentyByteReplyAndItsVerdict) {
    // rdRAM of 13 bytes at 0x50 of node 1; CRC16 of the 18 bytes is 0xF708.
    const auto reply = bytesOf("01 70 00 50 0D 00 00 00 01 00 00 00 00 00 00 00 00 00 08 F7");
    const auto lines = replyLines(reply.data(), reply.size());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "<= 01 70 00 50 0D 00 00 00 01 00 00 00 00 00 00 00 ");
    EXPECT_EQ(lines[1].text, "   00 00 08 F7 ");
    const auto ok = verdictLine(reply.data(), reply.size(), CrcOrder::LowFirst);
    ASSERT_EQ(ok.size(), 1u);
    EXPECT_EQ(ok[0].text, "  CRC16=OK");
    EXPECT_EQ((std::vector<int>{ok[0].colour.r, ok[0].colour.g, ok[0].colour.b}),
              (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(verdictLine(reply.data(), reply.size(), CrcOrder::HighFirst)[0].text, "  CRC16=Bad");
    EXPECT_EQ(verdictLine(reply.data(), reply.size(), CrcOrder::LowFirst, false)[0].text,
              "  CRC16=Bad");
}

TEST(CommandKeyFilter, OnlyHexDigitsBlankAndEditingKeys) {
    struct Case {
        char32_t typed;
        KeyVerdict verdict;
        char32_t inserted;
    };
    const Case cases[] = {
        {U'0', KeyVerdict::Insert, U'0'},  {U'9', KeyVerdict::Insert, U'9'},
        {U'a', KeyVerdict::Insert, U'A'},  {U'f', KeyVerdict::Insert, U'F'},
        {U'B', KeyVerdict::Insert, U'B'},  {U' ', KeyVerdict::Insert, U' '},
        {U'g', KeyVerdict::Swallow, 0},    {U'G', KeyVerdict::Swallow, 0},
        {U'z', KeyVerdict::Swallow, 0},    {U'-', KeyVerdict::Swallow, 0},
        {U'$', KeyVerdict::Swallow, 0},    {U'а', KeyVerdict::Swallow, 0},  // Cyrillic a
        {U'\t', KeyVerdict::Swallow, 0},   {0x1B, KeyVerdict::Swallow, 0},  // Escape
        {0x01, KeyVerdict::Swallow, 0},    {0x18, KeyVerdict::Swallow, 0},  // Ctrl+A, Ctrl+X
        {0x1A, KeyVerdict::Swallow, 0},                                     // Ctrl+Z
        {0x03, KeyVerdict::Pass, 0},       {0x08, KeyVerdict::Pass, 0},
        {0x16, KeyVerdict::Pass, 0},
    };
    for (const Case& c : cases) {
        const FilteredKey k = filterCommandKey(c.typed);
        EXPECT_EQ(k.verdict, c.verdict) << static_cast<uint32_t>(c.typed);
        if (c.verdict == KeyVerdict::Insert) EXPECT_EQ(k.ch, c.inserted);
    }
}
