// The identifier: block rules, names and names file, the list lines, the reads through
// the node and through the i2c window against the simulated network, and the node's
// link parameters.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/Crc16.h"
#include "link/OperationKind.h"
#include "link/ReplyCodes.h"
#include "sim/SimConfig.h"
#include "system/IdentBlock.h"
#include "system/IdentNames.h"
#include "system/IdentReader.h"
#include "system/LinkParams.h"
#include "tests/support/PermissionsEnforced.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora;
using namespace velmora::system;
using velmora::test::EngineRig;
using velmora::test::hexOf;

namespace {

IdentBuffer blockOf(const std::string& bytes) {
    IdentBuffer b = erasedIdent();
    std::copy(bytes.begin(), bytes.begin() + std::min(bytes.size(), b.size()), b.begin());
    return b;
}

std::string pad(size_t blanks, const std::string& rest) {
    return std::string(blanks, ' ') + rest;
}

}  // namespace

TEST(IdentBlock, FieldsEndByTheBlockRules) {
    struct Case {
        const char* what;
        std::string block;  // the rest of the 256 bytes stays 0xFF
        std::vector<std::string> fields;
    };
    const std::string x255(255, 'X');
    const Case cases[] = {
        {"two fields, then 00", std::string("A\rB\r\0", 5), {"A", "B"}},
        {"two fields, then FF", "A\rB\r", {"A", "B"}},
        {"no data",
         "\xFF"
         "A\r",
         {}},
        {"00 first: nothing", std::string("\0A\r", 3), {}},
        {"an empty field", std::string("A\r\r\0", 4), {"A", ""}},
        {"a byte after CR other than 00/FF goes on", std::string("A\r\x01\r\0", 5), {"A", "\x01"}},
        {"the whole block one field without CR", std::string(256, 'Z'), {std::string(256, 'Z')}},
        {"a CR in the last byte", x255 + "\r", {x255}},
        {"the last field cut by the block's end",
         std::string(254, 'Q') + "\rY",
         {std::string(254, 'Q'), "Y"}},
    };
    for (const Case& c : cases) EXPECT_EQ(identFields(blockOf(c.block)), c.fields) << c.what;
}

TEST(IdentBlock, ListLinesAsTheTabShowsThem) {
    const auto& builtIn = builtInIdentNames();
    ASSERT_EQ(builtIn.size(), 16u);
    // A CR B CR 00: two lines named with built-in names 0 and 1; 23-character names
    // get 9 blanks in front to make 32.
    auto lines = identListLines(blockOf(std::string("A\rB\r\0", 5)), true, builtIn);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "          ********** Идентификатор модуля **********");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], pad(9, "                  Тип: ") + "  A");
    EXPECT_EQ(lines[3], pad(9, "           Исполнение: ") + "  B");

    // No data: every built-in name with "Нет данных"; so for a failed read of a good block.
    for (bool ok : {true, false}) {
        auto none = identFieldLines(ok ? erasedIdent() : blockOf("A\r"), ok, builtIn);
        ASSERT_EQ(none.size(), 16u);
        EXPECT_EQ(none[12], "         Скорость обмена бит/с: Нет данных");
        EXPECT_EQ(none[15], pad(9, "               Вектор: ") + "Нет данных");
    }

    // Two names, three fields: the third is unknown, its 21 characters padded by 11.
    auto three = identFieldLines(blockOf("a\rb\rc\r"), true, {"N1", "N2"});
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[0], pad(30, "N1  a"));
    EXPECT_EQ(three[2], pad(11, "Неизвестный параметр:  c"));

    // A name longer than 32 characters is kept whole; Windows-1251 text is shown as
    // such; control bytes in a value become '?'.
    auto odd =
        identFieldLines(blockOf("\xCF\xCB\xCA\rx\x1B[2Jy\r"), true, {std::string(40, 'L'), "B"});
    EXPECT_EQ(odd[0], std::string(40, 'L') + "  ПЛК");
    EXPECT_EQ(odd[1], pad(31, "B  x?[2Jy"));
}

TEST(IdentNames, LinesOfTheNamesFile) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"CR LF lines", "One\r\nTwo\r\n", {"One", "Two"}},
        {"LF lines, last without end", "One\nTwo", {"One", "Two"}},
        {"empty file", "", {}},
        {"one empty line", "\n", {""}},
        {"an empty line between", "a\r\n\r\nb", {"a", "", "b"}},
        {"Windows-1251", "\xD2\xE8\xEF:\r\n", {"Тип:"}},
        {"control characters", std::string("a\tb\0c\n", 6), {"a?b?c"}},
        {"a lone CR inside a line", "a\rb\n", {"a?b"}},
    };
    for (const Case& c : cases) EXPECT_EQ(parseIdentNames(c.text), c.names) << c.what;

    std::string many;
    for (int i = 0; i < 300; ++i) many += "n" + std::to_string(i) + "\n";
    auto names = parseIdentNames(many);
    ASSERT_EQ(names.size(), kMaxNames);
    EXPECT_EQ(names.back(), "n255");
}

TEST(IdentNames, TheFileOrTheBuiltInNames) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("velmora_names_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string file = (dir / "titleId.dat").string();
    auto write = [&](const std::string& text) { std::ofstream(file, std::ios::binary) << text; };

    IdentNames missing = loadIdentNames(file);
    EXPECT_EQ(missing.names, builtInIdentNames());
    EXPECT_EQ(missing.notice, "");

    write("First\r\nSecond\r\n");
    IdentNames two = loadIdentNames(file);
    EXPECT_EQ(two.names, (std::vector<std::string>{"First", "Second"}));
    EXPECT_EQ(two.notice, "");

    write(std::string(kNamesFileLimit + 1, 'x'));
    IdentNames large = loadIdentNames(file);
    EXPECT_EQ(large.names, builtInIdentNames());
    EXPECT_NE(large.notice, "");

    write("First\n");
    fs::permissions(file, fs::perms::none);
    {
        velmora::testing::PermissionsEnforced enforced;
        if (enforced.enforced()) {
            IdentNames locked = loadIdentNames(file);
            EXPECT_EQ(locked.names, builtInIdentNames());
            EXPECT_NE(locked.notice, "");
        }
    }
    fs::remove(file);
    fs::create_directory(file);
    EXPECT_NE(loadIdentNames(file).notice, "");
    EXPECT_EQ(loadIdentNames(file).names, builtInIdentNames());
    fs::remove_all(dir);
}

namespace {

class IdentOnTheLine : public ::testing::Test {
protected:
    IdentOnTheLine() {
        std::string error;
        EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
    }
    std::string sentWithoutCrc(size_t i) {
        const auto& f = rig.line.sent().at(i);
        EXPECT_TRUE(link::frameCrcOk(f.data(), f.size()));
        return hexOf({f.begin(), f.end() - 2});
    }
    sim::SimModule& sub() { return *network.node(1)->subModule(0x10); }
    sim::ModuleNetwork network;
    EngineRig rig{network};
};

}  // namespace

TEST_F(IdentOnTheLine, ThroughTheNode) {
    IdentRead r = readIdent(rig.engine, &rig.status, {0x01, 0, 1});
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(rig.line.sent().size(), 1u);
    EXPECT_EQ(sentWithoutCrc(0), "01 78");
    const auto& id = network.node(1)->module().id;
    EXPECT_TRUE(std::equal(id.begin(), id.end(), r.block.begin()));
    // The reply's CRC follows the 252 bytes; it is no identifier text.
    for (size_t i = 252; i < 256; ++i) EXPECT_EQ(r.block[i], 0xFF) << i;
    EXPECT_EQ(identFields(r.block).at(0), "\xCF\xCB\xCA-18 \xF3\xE7\xE5\xEB");  // ПЛК-18 узел
    EXPECT_EQ(rig.status.last(), "");
}

TEST_F(IdentOnTheLine, ThroughTheNodeFailsAfterThreeReadsOfThreeAttempts) {
    IdentRead r = readIdent(rig.engine, &rig.status, {0x05, 0, 1});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(rig.line.sent().size(), 9u);
    EXPECT_EQ(r.block, erasedIdent());
    EXPECT_EQ(r.failure, "Ошибка 31 чтения идентификатора");
    EXPECT_EQ(rig.status.last(), "Ошибка 31 чтения идентификатора");
}

TEST_F(IdentOnTheLine, ThroughI2cPagesEightAndNineWithRegPagePutBack) {
    sub().ram[0x51] = 3;
    IdentRead r = readIdent(rig.engine, &rig.status, {0x01, 0x10, 2});
    ASSERT_TRUE(r.ok);
    const std::vector<std::string> expected = {
        "01 7A 10 51 01",     // REG_PAGE saved
        "01 7B 10 51 01 08",  // page 8: RAM 0x400..0x47F
        "01 7A 10 80 80",
        "01 7B 10 51 01 09",  // page 9: RAM 0x480..0x4FF
        "01 7A 10 80 80",
        "01 7B 10 51 01 03",  // put back
    };
    ASSERT_EQ(rig.line.sent().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(sentWithoutCrc(i), expected[i]) << i;
    EXPECT_TRUE(std::equal(r.block.begin(), r.block.end(), sub().ram.begin() + 0x400));
    EXPECT_EQ(sub().ram[0x51], 3);
}

TEST_F(IdentOnTheLine, AFailedHalfPutsThePageBackBeforeTheNextTry) {
    sub().ram[0x51] = 3;
    sim::FaultPlan faults;
    faults.dropEvery = 5;  // the fifth reply is the second half of the first try
    network.setFaults(faults);
    IdentRead r = readIdent(rig.engine, &rig.status, {0x01, 0x10, 2});
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(sentWithoutCrc(5), "01 7B 10 51 01 03");
    EXPECT_EQ(sentWithoutCrc(6), "01 7A 10 51 01");
    EXPECT_EQ(sub().ram[0x51], 3);
}

TEST_F(IdentOnTheLine, AnAbsentSubModuleStopsAtRegPage) {
    IdentRead r = readIdent(rig.engine, &rig.status, {0x01, 0x30, 2});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.block, erasedIdent());
    for (size_t i = 0; i < rig.line.sent().size(); ++i)
        EXPECT_EQ(sentWithoutCrc(i), "01 7A 30 51 01") << i;
    EXPECT_EQ(r.failure, "Нет ASK от Slave устр-ва на i2c ");
}

TEST_F(IdentOnTheLine, NothingSelectedSendsNothing) {
    EXPECT_FALSE(readIdent(rig.engine, &rig.status, {0x01, 0, 0}).ok);
    EXPECT_TRUE(rig.line.sent().empty());
}

TEST(LinkParams, SpeedCodesAreTheUartDivisorsAt40MHz) {
    // The node's UART runs from 40 MHz: bit/s = 40e6 / (16 x (code + 1)), within 2 %.
    for (const SpeedCode& s : kSpeedCodes) {
        const double bps = 40e6 / (16.0 * (s.code + 1));
        EXPECT_NEAR(bps / s.bps, 1.0, 0.02) << s.bps;
        EXPECT_EQ(speedCode(s.bps), s.code);
    }
    EXPECT_FALSE(speedCode(38400));
    EXPECT_FALSE(speedCode(0));
}

TEST(LinkParams, ValuesReadFromLinesAndTyped) {
    const struct {
        const char* line;
        std::optional<uint32_t> speed;
    } speeds[] = {
        {"         Скорость обмена бит/с:   57600", 57600},
        {"X:9600", 9600},
        {"X:  115200 ", std::nullopt},  // only leading blanks are ignored
        {"X:   Нет данных", std::nullopt},
        {"X: -9600", std::nullopt},
        {"X:", std::nullopt},
        {"A: b: 19200", std::nullopt},  // the first colon counts
    };
    for (auto c : speeds) EXPECT_EQ(lineSpeed(c.line), c.speed) << c.line;

    const struct {
        const char* text;
        std::optional<uint8_t> value;
    } typed[] = {{"0", 0},
                 {"1F", 0x1F},
                 {"a", 0x0A},
                 {" FE ", 0xFE},
                 {"", std::nullopt},
                 {"100", std::nullopt},
                 {"G1", std::nullopt},
                 {"-1", std::nullopt},
                 {"  ", std::nullopt}};
    for (auto c : typed) EXPECT_EQ(parseParamByte(c.text), c.value) << c.text;
}

TEST(LinkParams, KeysTheEditorTakes) {
    std::string passed;
    for (int c = 1; c < 256; ++c)
        if (char k = paramKey(static_cast<char>(c))) passed += k;
    EXPECT_EQ(passed, std::string("\x03\x07\x08") + "0123456789ABCDEFABCDEF");
}

TEST_F(IdentOnTheLine, EachParameterIsOneEepromWriteOfOneAttempt) {
    const struct {
        LinkParam p;
        uint8_t value;
        const char* frame;
        uint16_t ee;
    } cases[] = {
        {LinkParam::Speed, 0x15, "01 75 00 FD 01 15", 0xFD},
        {LinkParam::Modbus, 0x07, "01 75 00 FF 01 07", 0xFF},
        {LinkParam::I2c, 0x20, "01 75 00 FE 01 20", 0xFE},
        {LinkParam::Vector, 0x40, "01 75 00 FC 01 40", 0xFC},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(writeLinkParam(rig.engine, 0x01, cases[i].p, cases[i].value), 0);
        EXPECT_EQ(sentWithoutCrc(i), cases[i].frame);
        EXPECT_EQ(network.node(1)->module().eeprom[cases[i].ee], cases[i].value);
    }
    const size_t before = rig.line.sent().size();
    EXPECT_EQ(writeLinkParam(rig.engine, 0x05, LinkParam::Speed, 0x15), link::kResultNoReply);
    EXPECT_EQ(rig.line.sent().size(), before + 1);
}
