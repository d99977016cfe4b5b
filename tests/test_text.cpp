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

// Each rejected byte becomes one '?', so a sequence read as a whole shows as a single
// '?' (or its code) while a rejected one shows one '?' per byte.
TEST(Cp1251, OverlongSurrogateAndOutOfRangeFormsAreInvalid) {
    struct Case {
        const char* what;
        std::string utf8;
        std::string cp1251;
    };
    const Case cases[] = {
        {"NUL in two bytes", "\xC0\x80", "??"},
        {"'/' in two bytes", "\xC0\xAF", "??"},
        {"U+007F in two bytes", "\xC1\xBF", "??"},
        {"NUL in three bytes", "\xE0\x80\x80", "???"},
        {"U+07FF in three bytes", "\xE0\x9F\xBF", "???"},
        {"U+0800, shortest three", "\xE0\xA0\x80", "?"},
        {"NUL in four bytes", "\xF0\x80\x80\x80", "????"},
        {"U+FFFF in four bytes", "\xF0\x8F\xBF\xBF", "????"},
        {"U+10000, shortest four", "\xF0\x90\x80\x80", "?"},
        {"U+D7FF, last before the surrogates", "\xED\x9F\xBF", "?"},
        {"U+D800, high surrogate", "\xED\xA0\x80", "???"},
        {"U+DBFF", "\xED\xAF\xBF", "???"},
        {"U+DC00, low surrogate", "\xED\xB0\x80", "???"},
        {"U+DFFF", "\xED\xBF\xBF", "???"},
        {"U+E000, first after the surrogates", "\xEE\x80\x80", "?"},
        {"U+10FFFF, the last code point", "\xF4\x8F\xBF\xBF", "?"},
        {"U+110000", "\xF4\x90\x80\x80", "????"},
        {"U+1FFFFF", "\xF7\xBF\xBF\xBF", "????"},
        {"five-byte form", "\xF8\x88\x80\x80\x80", "?????"},
        {"U+0080, shortest two", "\xC2\x80", "?"},
        {"no-break space", "\xC2\xA0", "\xA0"},
        {"Ё", "\xD0\x81", "\xA8"},
        {"я", "\xD1\x8F", "\xFF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf8ToCp1251(c.utf8), c.cp1251) << c.what;
        // The same bytes between valid text: the neighbours come through untouched.
        EXPECT_EQ(utf8ToCp1251("a" + c.utf8 + "\xD0\x96z"), "a" + c.cp1251 + "\xC6z") << c.what;
    }
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

TEST(NumberText, DecimalTakesOneSignAtMost) {
    EXPECT_EQ(parseDecimal("+42", 0, 100), 42);
    EXPECT_EQ(parseDecimal("-5", -10, 10), -5);
    EXPECT_EQ(parseDecimal("+-5", -10, 10), std::nullopt);
    EXPECT_EQ(parseDecimal("-+5", -10, 10), std::nullopt);
    EXPECT_EQ(parseDecimal("++5", -10, 10), std::nullopt);
    EXPECT_EQ(parseDecimal("+", -10, 10), std::nullopt);
    EXPECT_EQ(parseDecimal("", -10, 10), std::nullopt);
}

TEST(Cp1251, OverLongFormsAreMalformed) {
    // 'A' (0x41) and U+0401 'Ё' (0xA8) in forms longer than the shortest one.
    EXPECT_EQ(utf8ToCp1251("\xC1\x81"), "??");
    EXPECT_EQ(utf8ToCp1251("\xE0\x81\x81"), "???");
    EXPECT_EQ(utf8ToCp1251("\xE0\x90\x81"), "???");
    EXPECT_EQ(utf8ToCp1251("\xF0\x80\x90\x81"), "????");
    EXPECT_EQ(utf8ToCp1251("\xD0\x81"), "\xA8");  // the shortest form still converts
}
