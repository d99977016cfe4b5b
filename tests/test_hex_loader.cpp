// Intel HEX reading: records, regions, the shift, the range listing and every way a file
// is rejected. Every record's checksum below was worked out by hand: the two's
// complement of the byte sum.

#include <gtest/gtest.h>

#include "firmware/HexLoader.h"
#include "firmware/ProgramLoad.h"

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
constexpr const char* kSegment0100 = ":020000020100FB";  // segment 0x0100: base 0x1000
constexpr const char* kSegment0000 = ":020000020000FC";
constexpr const char* kSegment1000 = ":020000021000EC";  // base 0x10000: past the Flash

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

// Type 02: the segment times 16 is added to the addresses that follow, and the offset
// wraps within the segment's 64 KB (Intel HEX), unlike under a type 04 base.
TEST(HexLoader, SegmentAddressRecordsMoveTheDataThatFollow) {
    Loaded l = load(file({kSegment0100, ":02100000AABB89", kSegment0000, ":02FFFF00C1C27D", kEnd}));
    ASSERT_TRUE(l.result.ok()) << hexProblemMessage(l.result);
    EXPECT_EQ(l.images->FlashImage[0x2000], 0xAA);
    EXPECT_EQ(l.images->FlashImage[0x2001], 0xBB);
    EXPECT_EQ(l.images->FlashImage[0x1000], 0xFF);
    EXPECT_EQ(l.images->FlashImage[0xFFFF], 0xC1);
    EXPECT_EQ(l.images->FlashImage[0x0000], 0xC2);
    EXPECT_EQ(l.listing.lines[0], "  FLASH   0x2000        0x2001      0x0002");
    // Configuration space (identifier locations at 0x200000) is checked and dropped.
    EXPECT_TRUE(load(file({kFlash16, ":020000040020DA", ":020000001122CB", kEnd})).result.ok());
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
        {"flash under upper address 0001", file({":020000040001F9", ":02200000A1B28B", kEnd}), 0,
         HexProblem::OutsideMemory, 2},
        {"data under upper address 0040", file({":020000040040BA", ":02200000A1B28B", kEnd}), 0,
         HexProblem::OutsideMemory, 2},
        {"segment 1000 puts 2000 at 12000", file({kSegment1000, ":02200000A1B28B", kEnd}), 0,
         HexProblem::OutsideMemory, 2},
        {"cut at a line end: no end record", file({kFlash16, kFlashNext16}), 0,
         HexProblem::NoEndRecord, 2},
        {"segment record too short", file({":0100000210ED"}), 0, HexProblem::ShortRecord, 1},
    };
    for (const Case& c : cases) {
        auto images = std::make_unique<FirmwareImages>();
        ASSERT_TRUE(loadHexText(file({kFlashAt2020, kEnd}), 0, *images).ok());
        const auto before = std::make_unique<FirmwareImages>(*images);
        const HexLoadResult r = loadHexText(c.text, c.shift, *images);
        EXPECT_EQ(r.problem, c.problem) << c.name << ": " << hexProblemMessage(r);
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
    EXPECT_EQ(hexProblemMessage({HexProblem::OutsideMemory, 2, {}, 0x12000}),
              "Данные вне памяти модуля (адрес 012000), строка 2");
    EXPECT_EQ(hexProblemMessage({HexProblem::NoEndRecord, 5, {}}),
              "Нет записи конца файла: файл оборван после строки 5");
}

TEST(HexLoader, OtherRecordTypesAreCheckedAndSkipped) {
    // Type 05 (start linear address): checked, stored nowhere.
    Loaded l = load(file({":0420000500002000B7", kFlash16, kEnd}));
    EXPECT_TRUE(l.result.ok());
    EXPECT_EQ(l.images->FlashImage[0x2000], 0x00);
    EXPECT_EQ(load(file({":0420000500002000B8"})).result.problem, HexProblem::Checksum);
}

// What a write at the target would send decides whether the file is taken at all: a node
// is written from 0x2000, an i2c module from its bottom address; 64-byte blocks of FF and
// the configuration bytes are never sent.
TEST(ProgramLoad, AFileThatGivesNothingToWriteIsRefusedAndBytesBelowAreCounted) {
    constexpr const char* k1000 = ":021000007788EF";  // 0x1000: 77 88
    constexpr const char* k2000 = ":022000007788DF";  // 0x2000: 77 88
    constexpr const char* k4000 = ":02400000A1B26B";  // 0x4000: A1 B2
    struct Case {
        const char* name;
        std::string text;
        FirmwareTarget target;
        bool ok;
        size_t below, blocks, cells;
    };
    const FirmwareTarget node{1, 0, 1, 0x4000};  // a node ignores the bottom: 0x2000 always
    const FirmwareTarget i2c{1, 0x10, 2, 0x4000};
    const std::vector<Case> cases = {
        {"end record first", file({kEnd}), node, false, 0, 0, 0},
        {"configuration only", file({kUpperConfig, kConfig2, kEnd}), node, false, 0, 0, 0},
        {"flash only below 2000 at a node", file({k1000, kEnd}), node, false, 2, 0, 0},
        {"flash only below the bottom at i2c", file({k2000, kEnd}), i2c, false, 2, 0, 0},
        {"below and above the bottom at i2c", file({k2000, k4000, kEnd}), i2c, true, 2, 1, 0},
        {"2000 at a node", file({k2000, k4000, kEnd}), node, true, 0, 2, 0},
        {"eeprom only", file({kUpperEeprom, kEeprom3, kEnd}), node, true, 0, 0, 3},
    };
    for (const Case& c : cases) {
        auto images = std::make_unique<FirmwareImages>();
        images->FlashImage[0x3000] = 0x5A;  // what an earlier load left
        const ProgramLoad r = loadForProgramming(c.text, 0, c.target, *images);
        EXPECT_TRUE(r.hex.ok()) << c.name;
        EXPECT_EQ(r.ok(), c.ok) << c.name;
        EXPECT_EQ(r.coverage.bytesBelowBottom, c.below) << c.name;
        EXPECT_EQ(r.coverage.flashBlocks, c.blocks) << c.name;
        EXPECT_EQ(r.coverage.eepromCells, c.cells) << c.name;
        EXPECT_EQ(images->FlashImage[0x3000], c.ok ? 0xFF : 0x5A) << c.name;
    }
    WriteCoverage below;
    below.bottom = 0x4000;
    below.bytesBelowBottom = 2;
    EXPECT_EQ(belowBottomNote(below), "Не записано 2 байт Flash ниже адреса 4000");
    EXPECT_EQ(nothingToWriteMessage(below),
              "В файле нет данных для записи: все данные Flash ниже адреса 4000, с которого "
              "пишется модуль");
    EXPECT_EQ(belowBottomNote(WriteCoverage{}), "");
    EXPECT_EQ(nothingToWriteMessage(WriteCoverage{}), "В файле нет данных для записи в модуль");
}
