// The value inspector's text for every type and format. Expected values are worked out
// by hand from two's complement and IEEE 754 (float bits checked with Python's struct).

#include <gtest/gtest.h>

#include "views/VarFormat.h"

using namespace velmora::views;

namespace {
struct Case {
    VarType type;
    VarFormat format;
    std::array<uint8_t, 4> bytes;
    const char* expected;
};
}  // namespace

TEST(ValueInspector, TypesAndFormats) {
    const Case cases[] = {
        {VarType::Long, VarFormat::Dec, {0xFF, 0xFF, 0xFF, 0xFF}, "Long/Dec: -1"},
        {VarType::ULong, VarFormat::Dec, {0xFF, 0xFF, 0xFF, 0xFF}, "unsigned Long/Dec: 4294967295"},
        {VarType::Long, VarFormat::Hex, {0xFF, 0xFF, 0xFF, 0xFF}, "Long/Hex: FFFFFFFF"},
        {VarType::Long, VarFormat::Dec, {0x00, 0x00, 0x00, 0x80}, "Long/Dec: -2147483648"},
        {VarType::Char, VarFormat::Dec, {0x80, 0x7F, 0, 0}, "Char/Dec: -128"},
        {VarType::UChar, VarFormat::Dec, {0x80, 0x7F, 0, 0}, "unsigned Char/Dec: 128"},
        {VarType::Char, VarFormat::Hex, {0x0A, 0xFF, 0, 0}, "Char/Hex: 0A"},
        {VarType::Int, VarFormat::Dec, {0x00, 0x80, 0xFF, 0xFF}, "Int/Dec: -32768"},
        {VarType::UInt, VarFormat::Dec, {0x00, 0x80, 0xFF, 0xFF}, "unsigned Int/Dec: 32768"},
        {VarType::UInt, VarFormat::Hex, {0x34, 0x12, 0, 0}, "unsigned Int/Hex: 1234"},
        // Bin: most significant byte first, each " hhhh'llll".
        {VarType::Char, VarFormat::Bin, {0x41, 0, 0, 0}, "Char/Bin:  0100'0001"},
        {VarType::Int, VarFormat::Bin, {0x34, 0x12, 0, 0}, "Int/Bin:  0001'0010 0011'0100"},
        {VarType::ULong,
         VarFormat::Bin,
         {0x01, 0x80, 0x00, 0xF0},
         "unsigned Long/Bin:  1111'0000 0000'0000 1000'0000 0000'0001"},
        // Simv: byte 0 first, control bytes as #HH, each followed by a blank.
        {VarType::Int, VarFormat::Simv, {0x0D, 0x41, 0, 0}, "Int/Simv: [#0D A ]"},
        {VarType::UChar, VarFormat::Simv, {0xC0, 0, 0, 0}, "unsigned Char/Simv: [А ]"},
        {VarType::Long, VarFormat::Simv, {0x31, 0x00, 0x7A, 0x1F}, "Long/Simv: [1 #00 z #1F ]"},
        // Float 32: the raw bits in Hex, characters without blanks in Simv.
        {VarType::Float32, VarFormat::Hex, {0x00, 0x00, 0x80, 0x3F}, "Float 32/Hex: 3F800000"},
        {VarType::Float32, VarFormat::Simv, {0x41, 0x42, 0x43, 0x44}, "Float 32/Simv: [ABCD]"},
        {VarType::Float32,
         VarFormat::Bin,
         {0x00, 0x00, 0x80, 0x3F},
         "Float 32/Bin:  0011'1111 1000'0000 0000'0000 0000'0000"},
        {VarType::Float32, VarFormat::Dec, {0x00, 0x00, 0x80, 0x3F}, "Float 32/Dec: 1.0000000"},
        {VarType::Char, VarFormat::Off, {0x41, 0, 0, 0}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(showVarValue(c.type, c.format, c.bytes), c.expected) << c.expected;
}

TEST(ValueInspector, ControlBytesOfAFloatStayVisible) {
    // 00 00 80 3F as characters: two NULs would vanish from the label.
    EXPECT_EQ(showVarValue(VarType::Float32, VarFormat::Simv, {0x00, 0x00, 0x80, 0x3F}),
              "Float 32/Simv: [\u2400\u2400\u0402?]");
}

TEST(ValueInspector, FloatDigits) {
    struct F {
        std::array<uint8_t, 4> bytes;
        const char* point;
        const char* expected;
    };
    const F cases[] = {
        {{0x00, 0x00, 0x80, 0x3F}, ",", "1,0000000"},  // the user's separator
        // 123.45600128173828: 11 significant digits 123.45600128, then 7 decimals.
        {{0x79, 0xE9, 0xF6, 0x42}, ".", "123.4560013"},
        // 0.10000000149011612
        {{0xCD, 0xCC, 0xCC, 0x3D}, ".", "0.1000000"},
        // -3.1415927410125732
        {{0xDB, 0x0F, 0x49, 0xC0}, ".", "-3.1415927"},
        // 2^24 = 16777216: eight integer digits still fit.
        {{0x00, 0x00, 0x80, 0x4B}, ".", "16777216.0000000"},
        // 999999995904: twelve integer digits are past 11, so scientific.
        {{0xA5, 0xD4, 0x68, 0x53}, ".", "9.9999999590E+11"},
        // 2^-30: below the seventh decimal.
        {{0x00, 0x00, 0x80, 0x30}, ".", "0.0000000"},
        {{0x00, 0x00, 0x00, 0x80}, ".", "0.0000000"},  // -0
        {{0x00, 0x00, 0xC0, 0x7F}, ".", "NAN"},
        {{0x00, 0x00, 0x80, 0xFF}, ".", "-INF"},
    };
    for (const F& c : cases)
        EXPECT_EQ(showVarValue(VarType::Float32, VarFormat::Dec, c.bytes, c.point),
                  std::string("Float 32/Dec: ") + c.expected)
            << c.expected;
}
