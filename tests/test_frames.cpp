// Known answers for the CRC, the request frames and the reply-code texts.

#include <gtest/gtest.h>

#include "link/Crc16.h"
#include "link/OperationKind.h"
#include "link/ReplyCodes.h"
#include "link/RequestFrame.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora;
using namespace velmora::link;
using velmora::test::bytesOf;
using velmora::test::hexOf;

TEST(Crc16, CheckValueOfDigitsOneToNine) {
    const uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(crc16(digits, 0, 9), 0x4B37);
}

TEST(Crc16, RangeStartsAtOffset) {
    const uint8_t buf[] = {0xEE, 0xEE, '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(crc16(buf, 2, 9), 0x4B37);
}

TEST(Crc16, FrameCheckBothByteOrders) {
    auto f = bytesOf("01 78 00 02");
    EXPECT_TRUE(frameCrcOk(f.data(), f.size()));
    EXPECT_FALSE(frameCrcOk(f.data(), f.size(), true));
    auto swapped = bytesOf("01 78 02 00");
    EXPECT_TRUE(frameCrcOk(swapped.data(), swapped.size(), true));
    auto bad = bytesOf("01 78 00 03");
    EXPECT_FALSE(frameCrcOk(bad.data(), bad.size()));
}

TEST(Crc16, TooShortToCarryACrcNeverPasses) {
    const uint8_t one[] = {0x00};
    const uint8_t two[] = {0xFF, 0xFF};
    EXPECT_FALSE(frameCrcOk(one, 1));
    EXPECT_FALSE(frameCrcOk(two, 2));
}

struct FrameCase {
    const char* name;
    Request args;
    const char* writeData;
    const char* frame;
    size_t expected;
    uint8_t header;
    uint8_t initNode = 0;
};

class RequestFrames : public ::testing::TestWithParam<FrameCase> {};

TEST_P(RequestFrames, BuildsTheKnownFrame) {
    const FrameCase& c = GetParam();
    std::array<uint8_t, 256> data{};
    auto wd = bytesOf(c.writeData);
    std::copy(wd.begin(), wd.end(), data.begin());
    std::array<uint8_t, 256> tx{};
    RequestLayout layout;
    ASSERT_TRUE(buildRequest(c.args, c.initNode, data.data(), tx.data(), layout));
    EXPECT_EQ(hexOf({tx.begin(), tx.begin() + static_cast<long>(layout.requestLength)}), c.frame);
    EXPECT_EQ(layout.expectedLength, c.expected);
    EXPECT_EQ(layout.headerLength, c.header);
}

// CRCs computed independently of this code.
INSTANTIATE_TEST_SUITE_P(
    AllKinds, RequestFrames,
    ::testing::Values(
        FrameCase{"rdID", {1, rdID, 0x1234, 0, 0x10, 1}, "", "01 78 00 02", 256, 2},
        FrameCase{"rdFlash", {1, rdFlash, 0x2000, 0x80, 0, 1}, "", "01 76 20 00 80 03 E2", 135, 5},
        FrameCase{
            "wrFlash", {2, wrFlash, 0x2040, 2, 0, 2}, "AA BB", "02 77 20 40 02 AA BB 39 53", 7, 5},
        FrameCase{"rdRAM", {1, rdRAM, 0x0050, 4, 0, 1}, "", "01 70 00 50 04 3E C3", 11, 5},
        FrameCase{"wrRAM", {1, wrRAM, 0x0123, 1, 0, 1}, "5A", "01 71 01 23 01 5A 0C 5C", 7, 5},
        FrameCase{"rdEE", {3, rdEE, 0x00F0, 0x10, 0, 3}, "", "03 74 00 F0 10 3E 3C", 23, 5},
        FrameCase{"wrEE", {1, wrEE, 0x00FA, 2, 0, 1}, "00 00", "01 75 00 FA 02 00 00 91 BD", 7, 5},
        FrameCase{"rdSFR", {1, rdSFR, 0x0005, 1, 0, 1}, "", "01 70 0F 85 01 90 53", 8, 5},
        FrameCase{"wrSFR", {1, wrSFR, 0x0F8A, 1, 0, 1}, "12", "01 71 0F 8A 01 12 DE A2", 7, 5},
        FrameCase{"rdI2C", {1, rdI2C, 0x0151, 0x80, 0x10, 1}, "", "01 7A 10 51 80 3D 2D", 135, 5},
        FrameCase{"wrI2C", {1, wrI2C, 0x51, 1, 0x22, 1}, "08", "01 7B 22 51 01 08 BE 3F", 7, 5},
        FrameCase{"initModTakesTheSelectedNode",
                  {9, initMod, 0x2000, 0, 0, 1},
                  "",
                  "05 79 55 AA 6E 1E",
                  1,
                  0,
                  5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RequestFrames, ReadOf249SendsSevenExpects256) {
    std::array<uint8_t, 256> tx{}, data{};
    RequestLayout layout;
    ASSERT_TRUE(buildRequest({1, rdRAM, 0, 249, 0, 1}, 0, data.data(), tx.data(), layout));
    EXPECT_EQ(layout.requestLength, 7u);
    EXPECT_EQ(layout.expectedLength, 256u);
}

TEST(RequestFrames, WriteOf248Sends255Expects7) {
    std::array<uint8_t, 256> tx{}, data{};
    RequestLayout layout;
    ASSERT_TRUE(buildRequest({1, wrRAM, 0, 248, 0, 1}, 0, data.data(), tx.data(), layout));
    EXPECT_EQ(layout.requestLength, 255u);
    EXPECT_EQ(layout.expectedLength, 7u);
}

TEST(RequestFrames, WriteThatCannotFitTheFrameIsRefused) {
    std::array<uint8_t, 256> tx{}, data{};
    tx.fill(0xEE);
    RequestLayout layout;
    EXPECT_TRUE(buildRequest({1, wrRAM, 0, 249, 0, 1}, 0, data.data(), tx.data(), layout));
    EXPECT_EQ(layout.requestLength, 256u);
    tx.fill(0xEE);
    EXPECT_FALSE(buildRequest({1, wrRAM, 0, 250, 0, 1}, 0, data.data(), tx.data(), layout));
    EXPECT_EQ(tx[0], 0xEE);
}

TEST(RequestFrames, UnknownKindIsRefused) {
    std::array<uint8_t, 256> tx{}, data{};
    RequestLayout layout;
    EXPECT_FALSE(buildRequest({1, 12, 0, 1, 0, 1}, 0, data.data(), tx.data(), layout));
}

TEST(OperationKinds, NamesAndNumbers) {
    EXPECT_EQ(parseKind("rdID"), 0);
    EXPECT_EQ(parseKind("initMod"), 11);
    EXPECT_EQ(parseKind("7"), 7);
    EXPECT_EQ(parseKind("12"), std::nullopt);
    EXPECT_EQ(parseKind("rdram"), std::nullopt);
    EXPECT_EQ(parseKind(""), std::nullopt);
    for (uint8_t k = 0; k < kKindCount; ++k) EXPECT_EQ(parseKind(kindName(k)), k);
}

TEST(ReplyCodes, TextsByLowSixBits) {
    const std::pair<uint16_t, const char*> table[] = {
        {1, "Несуществующая команда"},
        {2, "Ошибка формата команды"},
        {3, "Чтени 0 байт"},
        {4, "Чтение > 249 байт "},
        {5, "Номер бито > 7"},
        {6, "Чтение закрытого ресурса"},
        {7, "Запись в несуществующий адрес"},
        {8, "Запись во FLASH не 64 байта"},
        {9, "Запись во FLASH не с начала блока"},
        {10, "Запись в закрытый ресурс"},
        {11, "Ошибка верификации FLAS после записи"},
        {12, "Ошибка приема терминатора 0x55,0xAA"},
        {13, "Занят канал i2c"},
        {14, "Коллизия при обмене по i2c"},
        {15, "Нет ASK от Slave устр-ва на i2c "},
        {29, "Ошибка CRC16 в ответе контроллера"},
        {30, "Ошибка Comm порта"},
        {31, "Контроллер не ответил"},
        {0x87, "Запись в несуществующий адрес"},
        {0x8C, "Ошибка приема терминатора 0x55,0xAA"},
        {0x9D, "Ошибка CRC16 в ответе контроллера"},
    };
    for (auto& [code, text] : table) EXPECT_EQ(replyMessage(code), text) << code;
}

TEST(ReplyCodes, CodesWithoutTextAreEmpty) {
    for (uint16_t code : {0, 16, 28, 32, 63, 0x70, 0x7B, 252, 253, 254})
        EXPECT_EQ(replyMessage(code), "") << code;
}
