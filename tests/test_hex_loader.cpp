// Intel HEX reading: records, regions, the shift, the range listing and every way a file
// is rejected. Every record's checksum below was worked out by hand: the two's
// complement of the byte sum.

#include <gtest/gtest.h>

#include "firmware/HexLoader.h"

using namespace velmora::firmware;

namespace {

// Flash 0x2000..0x200F = 00..0F, then 0x2010..0x201F = AA, then 0x2020 = 55 66.
constexpr const char* kFlash16 = ":10200000000102030405060708090A0B0C0D0E0F58";
constexpr const char* kFlashNext16 = ":10201000AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA20";
constexpr const char* kFlashAt2020 = ":02202000556603";
constexpr const char* kUpperEeprom = ":0200000400F00A";      // 0xF00000: EEPROM
constexpr const char* kEeprom3 = ":0300000011223397";        // EEPROM 0..2 = 11 22 33
constexpr const char* kUpperConfig = ":020000040030CA";      // 0x300000: configuration
constexpr const char* kConfig2 = ":020000000E1FD1";          // two configuration bytes
constexpr const char* kUpperFlash = ":020000040000FA";
constexpr const char* kEnd = ":00000001FF";

std::string file(std::initializer_list<const char*> lines, const char* eol = "\r\n") {
    std::string s;
    for (const char* l : lines) s += std::string(l) + eol;
    return s;
}

struct Loaded {
    HexLoadResult result;
    std::unique_ptr<FirmwareImages> images = std::make_unique<FirmwareImages>();
    HexListing listing;
};

Loaded load(const std::string& text, uint16_t shift = 0) {
    Loaded l;
    l.result = loadHexText(text, shift, *l.images, &l.listing);
    return l;
}

}  // namespace

TEST(HexLoader, EndRecordAloneGivesEmptyImagesAndNoRange) {
    Loaded l = load(file({kEnd}));
    EXPECT_TRUE(l.result.ok());
    EXPECT_TRUE(l.listing.lines.empty());
    for (uint8_t b : l.images->FlashImage) ASSERT_EQ(b, 0xFF);
    for (uint16_t c : l.images->EepromImage) ASSERT_EQ(c, 0x00FF);
    EXPECT_EQ(hexListingHeader(), "         Start Adres   Fin Adres  Len (byte)");
}

TEST(HexLoader, Pic18FileFillsFlashAndEepromAndDropsConfiguration) {
    Loaded l = load(file({kFlash16, kUpperEeprom, kEeprom3, kUpperConfig, kConfig2, kEnd}));
    ASSERT_TRUE(l.result.ok());
    EXPECT_EQ(l.images->FlashImage[0x2000], 0x00);
    EXPECT_EQ(l.images->FlashImage[0x200F], 0x0F);
    EXPECT_EQ(l.images->FlashImage[0x2010], 0xFF);
    EXPECT_EQ(l.images->EepromImage[0], 0xFF11);
    EXPECT_EQ(l.images->EepromImage[2], 0xFF33);
    EXPECT_EQ(l.images->EepromImage[3], 0x00FF);
    // The configuration bytes would have landed at Flash 0 or EEPROM 0 if not dropped.
    EXPECT_EQ(l.images->FlashImage[0], 0xFF);
    EXPECT_EQ(l.images->FlashImage[1], 0xFF);
    // The configuration range is listed under the prefix then in force.
    EXPECT_EQ(l.listing.lines, (std::vector<std::string>{
                                   "  FLASH   0x2000        0x200F      0x0010",
                                   " EEPROM   0x0000        0x0002      0x0003",
                                   " EEPROM   0x0000        0x0001      0x0002",
                               }));
}

TEST(HexLoader, AdjacentRecordsFormOneRangeAGapOpensAnother) {
    Loaded joined = load(file({kFlash16, kFlashNext16, kEnd}));
    EXPECT_EQ(joined.listing.lines,
              std::vector<std::string>{"  FLASH   0x2000        0x201F      0x0020"});
    Loaded gap = load(file({kFlash16, kFlashAt2020, kEnd}));
    EXPECT_EQ(gap.listing.lines, (std::vector<std::string>{
                                     "  FLASH   0x2000        0x200F      0x0010",
                                     "  FLASH   0x2020        0x2021      0x0002",
                                 }));
}

TEST(HexLoader, ShiftMovesFlashAndItsListingButNeverEeprom) {
    Loaded l = load(file({kFlash16, kUpperEeprom, kEeprom3, kEnd}), 0x100);
    ASSERT_TRUE(l.result.ok());
    EXPECT_EQ(l.images->FlashImage[0x2100], 0x00);
    EXPECT_EQ(l.images->FlashImage[0x210F], 0x0F);
    EXPECT_EQ(l.images->FlashImage[0x2000], 0xFF);
    EXPECT_EQ(l.images->EepromImage[0], 0xFF11);
    EXPECT_EQ(l.listing.lines[0], "  FLASH   0x2100        0x210F      0x0010");
    EXPECT_EQ(l.listing.lines[1], " EEPROM   0x0000        0x0002      0x0003");
}

TEST(HexLoader, WithoutEndRecordTheOpenRangeIsNotListed) {
    Loaded l = load(file({kFlash16}));
    EXPECT_TRUE(l.result.ok());
    EXPECT_EQ(l.images->FlashImage[0x2001], 0x01);
    EXPECT_TRUE(l.listing.lines.empty());
}

TEST(HexLoader, LinesAfterTheEndRecordAreNotRead) {
    Loaded l = load(file({kEnd, "garbage", kFlash16}));
    EXPECT_TRUE(l.result.ok());
    EXPECT_EQ(l.images->FlashImage[0x2000], 0xFF);
}

TEST(HexLoader, LineEndsAndLetterCase) {
    for (const char* eol : {"\n", "\r\n", " \r\n"}) {
        Loaded l = load(file({":10201000aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa20", kEnd}, eol));
        EXPECT_TRUE(l.result.ok()) << int(eol[0]);
        EXPECT_EQ(l.images->FlashImage[0x2010], 0xAA);
    }
    // The last line needs no line end.
    EXPECT_TRUE(load(std::string(kFlash16) + "\n" + kEnd).result.ok());
}

// A rejected file changes nothing: the images keep what an earlier good load left.
TEST(HexLoader, RejectedFilesLeaveTheImagesAsTheyWere) {
    struct Case {
        const char* name;
        std::string text;
        uint16_t shift;
        HexProblem problem;
        size_t line;
    };
    const std::vector<Case> cases = {
        {"checksum on the last line", file({kFlash16, ":02202000556604"}), 0, HexProblem::Checksum,
         2},
        {"no colon", file({kFlash16, "02202000556603"}), 0, HexProblem::Structure, 2},
        {"empty line", file({kFlash16, "", kEnd}), 0, HexProblem::Structure, 2},
        {"half a pair", file({":0220200055660"}), 0, HexProblem::Structure, 1},
        {"too short", file({":00000001"}), 0, HexProblem::Structure, 1},
        {"not hex", file({kFlash16, ":02202000556G03"}), 0, HexProblem::NotHex, 2},
        // Count 4 promised, 2 data bytes given; the checksum over what is there is right.
        {"fewer data than the count", file({":04202000556601"}), 0, HexProblem::ShortRecord, 1},
        {"flash past FFFF", file({":03FFFE00010203FA"}), 0, HexProblem::OutsideMemory, 1},
        {"flash past FFFF by the shift", file({kFlash16}), 0xE000, HexProblem::OutsideMemory, 1},
        {"eeprom past 3FF", file({kUpperEeprom, ":0303FE00070809E4"}), 0,
         HexProblem::OutsideMemory, 2},
        {"upper address record too short", file({":0100000400FB"}), 0, HexProblem::ShortRecord, 1},
    };
    for (const Case& c : cases) {
        auto images = std::make_unique<FirmwareImages>();
        ASSERT_TRUE(loadHexText(file({kFlashAt2020, kEnd}), 0, *images).ok());
        const auto before = std::make_unique<FirmwareImages>(*images);
        const HexLoadResult r = loadHexText(c.text, c.shift, *images);
        EXPECT_EQ(r.problem, c.problem) << c.name;
        EXPECT_EQ(r.line, c.line) << c.name;
        EXPECT_EQ(images->FlashImage, before->FlashImage) << c.name;
        EXPECT_EQ(images->EepromImage, before->EepromImage) << c.name;
    }
}

TEST(HexLoader, NoLinesAndTheMessages) {
    EXPECT_EQ(load("").result.problem, HexProblem::NoLines);
    EXPECT_EQ(hexProblemMessage({HexProblem::Checksum, 7, {}}),
              "Ошибка  контрольной суммы входного файла, строка 7");
    EXPECT_EQ(hexProblemMessage({HexProblem::Structure, 1, {}}),
              "Ошибка  структуры входного файла, строка 1");
    EXPECT_EQ(hexProblemMessage({HexProblem::NotHex, 3, "6G"}),
              "'6G' is not a valid integer value, строка 3");
}

TEST(HexLoader, OtherRecordTypesAreCheckedAndSkipped) {
    // Type 05 (start linear address): checked, stored nowhere.
    Loaded l = load(file({":0420000500002000B7", kFlash16, kEnd}));
    EXPECT_TRUE(l.result.ok());
    EXPECT_EQ(l.images->FlashImage[0x2000], 0x00);
    EXPECT_EQ(load(file({":0420000500002000B8"})).result.problem, HexProblem::Checksum);
}
