// The name tables, the SFR list's order and look-up, and the grid and paging
// arithmetic of the memory views, with answers worked out from the register map and
// the 256-byte page layout.

#include <gtest/gtest.h>

#include "views/GridMath.h"
#include "views/NameTables.h"
#include "views/SfrList.h"

using namespace velmora::views;

TEST(SfrList, SortedItemsWithValues) {
    std::array<uint8_t, 128> values{};
    for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<uint8_t>(i);
    const auto items = sfrListItems(values);
    ASSERT_EQ(items.size(), 128u);
    // ADCON2 is 0xFC0, ADCON1 0xFC1, ADCON0 0xFC2 (index 0x40..0x42).
    EXPECT_EQ(items[0], "ADCON0   =42");
    EXPECT_EQ(items[1], "ADCON1   =41");
    EXPECT_EQ(items[2], "ADCON2   =40");
    EXPECT_EQ(items.back(), "WREG     =68");
    for (size_t i = 1; i < items.size(); ++i) EXPECT_LT(items[i - 1], items[i]);
    // PORTA: five letters, four blanks, "=".
    EXPECT_NE(std::find(items.begin(), items.end(), "PORTA    =00"), items.end());
    // A name of nine or more characters is not cut.
    EXPECT_EQ(sfrItemText(0x5D, 0xAB), "POSTDEC2 =AB");
}

TEST(SfrList, WithoutValuesEveryValueIsUnknown) {
    const auto items = sfrListItems(std::nullopt);
    ASSERT_EQ(items.size(), 128u);
    for (const auto& item : items) EXPECT_EQ(sfrItemValue(item), "??") << item;
}

TEST(SfrList, AddressOfAnItemByName) {
    struct Case {
        const char* item;
        std::optional<uint16_t> address;
    };
    const Case cases[] = {
        {"PORTA    =1F", 0xF80},        {"ADCON2   =00", 0xFC0}, {"TOSU     =00", 0xFFF},
        {"LATB     =12", 0xF8A},        {"SFR_87   =??", 0xF87}, {"porta    =00", std::nullopt},
        {"NOSUCH   =00", std::nullopt}, {"", std::nullopt},      {"=", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(sfrItemAddress(c.item), c.address) << c.item;
}

TEST(NameTables, MonitorVariablesAndEepromHints) {
    struct Ram {
        uint16_t address;
        std::optional<std::string> name;
    };
    const Ram ram[] = {
        {0x04F, std::nullopt},   {0x050, "REG_USER"},     {0x051, "REG_PAGE"},
        {0x053, "REG_MODBUS"},   {0x058, "REG_LEN"},      {0x05F, "mLAN_MASK_RC"},
        {0x060, "SYS_RAM 0x10"}, {0x07F, "SYS_RAM 0x2F"}, {0x080, std::nullopt},
        {0x151, std::nullopt},
    };
    for (const Ram& c : ram) EXPECT_EQ(sysRamName(c.address), c.name) << c.address;

    EXPECT_EQ(eeHintName(0x0FE), "Адрес на Modbus");
    EXPECT_EQ(eeHintName(0x0FF), "Адрес на i2c");
    EXPECT_EQ(eeHintName(0x0F0), "Номер версии мл. байт");
    EXPECT_EQ(eeHintName(0x0F5), "");
    EXPECT_EQ(eeHintName(0x1FE), std::nullopt);
    EXPECT_EQ(eeHintName(0x0EF), std::nullopt);
}

TEST(FlashPaging, StepsStayBetweenTheBottomAndFFFF) {
    struct Case {
        uint16_t adr;
        int32_t step;
        uint16_t bottom;
        std::optional<uint16_t> to;
    };
    const Case cases[] = {
        {0x2010, -0x100, 0x2000, std::nullopt},  // 0x1F10 is below the bottom
        {0x2010, +0x100, 0x2000, 0x2110},
        {0xF005, +0x1000, 0x2000, std::nullopt},  // 0x10005 is past 0xFFFF
        {0xF005, +0x100, 0x2000, 0xF105},
        {0xFF05, +0x100, 0x2000, std::nullopt},
        {0xFFFF, 0, 0x2000, 0xFFFF},
        {0x3005, -0x1000, 0x2000, 0x2005},
        {0x3005, -0x1006, 0x2000, std::nullopt},
        {0x2000, -0x1000, 0x4000, std::nullopt},
        {0x0005, -0x100, 0x0000, std::nullopt},  // no wrap-around below 0
        {0xFEFF, +0x100, 0x0000, 0xFFFF},
    };
    for (const Case& c : cases)
        EXPECT_EQ(steppedFlashAddress(c.adr, c.step, c.bottom), c.to) << c.adr << " " << c.step;
}

TEST(FlashPaging, AddressBox) {
    struct Case {
        const char* text;
        std::optional<uint16_t> to;
    };
    const Case cases[] = {
        {"1000", 0x2000},    {"", 0x2000},           {"21A5", 0x21A5},
        {"21a5", 0x21A5},    {"FFFF", 0xFFFF},       {"12345", std::nullopt},
        {"G", std::nullopt}, {"2 00", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(flashBoxAddress(c.text, 0x2000), c.to) << c.text;
}

TEST(GridMath, CellsAndAddresses) {
    // 0x21A5: offset 0xA5 in its page, row 0xA + 1, column 5 + 1.
    EXPECT_EQ(cellOf(0x21A5), (Cell{6, 11}));
    EXPECT_EQ(cellOf(0x5A3), (Cell{4, 11}));
    EXPECT_EQ(cellOf(0x0FF), (Cell{16, 16}));
    EXPECT_EQ(addressOf(0x2110, 0xFF00, Cell{1, 2}), 0x2110);
    EXPECT_EQ(addressOf(0x0A5, 0x7F00, Cell{16, 16}), 0x0FF);
    EXPECT_EQ(nextCell({16, 16}), (Cell{1, 1}));
    EXPECT_EQ(nextCell({16, 3}), (Cell{1, 4}));
    EXPECT_EQ(nextCell({5, 2}), (Cell{6, 2}));
}
