// Hexadecimal and decimal text, and the Windows-1251 conversion.

#include <gtest/gtest.h>

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

TEST(NumberText, WholeTextOrNothing) {
    struct Case {
        const char* text;
        std::optional<long long> decimal;  // within -1000..1000
        std::optional<uint64_t> unsignedValue;
    };
    const Case cases[] = {
        {"0", 0, 0},
        {"1000", 1000, 1000},
        {"1001", std::nullopt, 1001},
        {"-1", -1, std::nullopt},  // never wrapped round to a huge count
        {"-1000", -1000, std::nullopt},
        {"+7", 7, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
        {"+", std::nullopt, std::nullopt},
        {" 5", std::nullopt, std::nullopt},
        {"5 ", std::nullopt, std::nullopt},
        {"5x", std::nullopt, std::nullopt},
        {"0x10", std::nullopt, std::nullopt},
        {"--5", std::nullopt, std::nullopt},
        {"+-5", std::nullopt, std::nullopt},
        {"99999999999999999999999", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseDecimal(c.text, -1000, 1000), c.decimal) << c.text;
        EXPECT_EQ(parseUnsigned(c.text), c.unsignedValue) << c.text;
    }
    EXPECT_EQ(parseUnsigned("18446744073709551615"), UINT64_MAX);
    EXPECT_EQ(parseUnsigned("18446744073709551616"), std::nullopt);
    EXPECT_EQ(parseHex("FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(parseHex("-1"), std::nullopt);
    EXPECT_EQ(parseHex("+1"), std::nullopt);
    EXPECT_EQ(parseHex("0000000000000000001"), 1u);
}
