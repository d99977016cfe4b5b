// velmora-cli against the node monitor on a simulated PIC18F6520 (velmora-pic18): the
// commands a service engineer runs, judged by what gpsim says the chip holds.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTemporaryDir>
#include <map>

#include "tests/support/Pic18Node.h"

namespace velmora::testing {

namespace {

// The bytes of an Intel HEX file by address (extended linear addresses applied), read
// here rather than by the program's own loader.
std::map<uint32_t, int> hexBytes(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    std::map<uint32_t, int> out;
    uint32_t upper = 0;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.size() < 11 || line[0] != ':') continue;
        const QByteArray b = QByteArray::fromHex(line.mid(1));
        const uint32_t address = (uint8_t(b[1]) << 8) | uint8_t(b[2]);
        if (b[3] == 0x04) upper = ((uint8_t(b[4]) << 8) | uint8_t(b[5])) << 16;
        if (b[3] == 0x00)
            for (int i = 0; i < uint8_t(b[0]); ++i) out[upper + address + i] = uint8_t(b[4 + i]);
    }
    return out;
}

// "0200: 00 11 ..." lines of `velmora-cli dump`, by address.
std::map<uint32_t, int> dumpBytes(const std::string& text) {
    std::map<uint32_t, int> out;
    for (const QString& line : QString::fromStdString(text).split('\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(' ', Qt::SkipEmptyParts);
        if (parts.size() < 2 || !parts[0].endsWith(':')) continue;
        const uint32_t base = parts[0].chopped(1).toUInt(nullptr, 16);
        for (int i = 1; i < parts.size(); ++i) out[base + i - 1] = parts[i].toInt(nullptr, 16);
    }
    return out;
}

class Pic18Cli : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(node.start()); }
    CliResult cli(const QStringList& args) { return runCli(node.path(), args); }
    CliResult program() {
        return cli({"program", VELMORA_PIC18_APP_HEX, "1", "--verify"});
    }

    Pic18Node node;
};

}  // namespace

TEST_F(Pic18Cli, IdentShowsTheMonitorsBlockAndTheLinkParametersFromEeprom) {
    const CliResult r = cli({"ident", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Тип:   ПЛК-18 узел"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Коментарий:   PIC18F6520"), std::string::npos) << r.out;
    // The speed cell holds 0x15 (115200), the Modbus cell is erased: address 01.
    EXPECT_EQ(node.eeprom(0xFD, 1), std::vector<int>{0x15});
    EXPECT_NE(r.out.find("Скорость обмена бит/с:   115200"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Адрес Modbus:   01"), std::string::npos) << r.out;
}

TEST(Pic18Line, TheNodeAnswersAt9600InRealTime) {
    Pic18Node node;
    ASSERT_TRUE(node.start({"--baud", "9600"}));
    EXPECT_EQ(node.eeprom(0xFD, 1), std::vector<int>{0xFF});  // erased: 9600
    const CliResult ident = runCli(node.path(), {"--speed", "9600", "ident", "1"});
    ASSERT_EQ(ident.status, 0) << ident.err;
    EXPECT_NE(ident.out.find("Скорость обмена бит/с:   9600"), std::string::npos) << ident.out;
    // And not at another speed: the chip's USART runs at 9600 only.
    const CliResult wrong = runCli(node.path(), {"--speed", "115200", "dump", "ram", "1", "0"});
    EXPECT_NE(wrong.status, 0);
}

TEST(Pic18Line, EndsOnSigtermAndWithItsParentLeavingNoPtyBehind) {
    QTemporaryDir dir;
    const QString link = dir.filePath("node");
    {
        Pic18Node node;
        ASSERT_TRUE(node.start({"--unpaced", "--link", link}));
        const QString pty = node.path();
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        node.process().terminate();
        ASSERT_TRUE(node.process().waitForFinished(5000));
        EXPECT_EQ(node.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(node.process().exitCode(), 0);
        // gpsim held the pty's master: the pty is gone only once gpsim is.
        EXPECT_FALSE(QFileInfo::exists(pty));
        EXPECT_FALSE(QFileInfo(link).isSymLink());
    }
    // Started by a shell that then ends.
    QProcess shell;
    shell.start("sh", {"-c", QString("'%1' --unpaced --link '%2' > /dev/null & sleep 1").arg(VELMORA_PIC18_PATH, link)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(link).isSymLink(); }, 5000));
    const QString pty = QFileInfo(link).symLinkTarget();
    ASSERT_TRUE(shell.waitForFinished(5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !QFileInfo::exists(pty) && !QFileInfo(link).isSymLink(); }, 5000))
        << pty.toStdString();
}

TEST_F(Pic18Cli, DumpShowsWhatTheChipHolds) {
    // A pattern put into the chip through gpsim, where the monitor keeps nothing.
    QStringList seed;
    for (int i = 0; i < 16; ++i) {
        seed << QString("p18f6520.ramData[0x%1] = 0x%2").arg(0x2A0 + i, 0, 16).arg(0xC0 + i, 0, 16);
        seed << QString("p18f6520.eeData[0x%1] = 0x%2").arg(0x310 + i, 0, 16).arg(0x30 + i, 0, 16);
    }
    for (int i = 0; i < 8; ++i)
        seed << QString("p18f6520.romData[0x%1] = 0x%2").arg(0x4A00 + 2 * i, 0, 16).arg(0xA001 + 0x1102 * i, 0, 16);
    node.gpsim(seed);

    struct Case {
        const char* memory;
        const char* page;
        uint32_t from;
        std::vector<int> (Pic18Node::*truth)(unsigned, unsigned);
    };
    for (const Case c : {Case{"ram", "200", 0x2A0, &Pic18Node::ram},
                         Case{"ee", "300", 0x310, &Pic18Node::eeprom},
                         Case{"flash", "4A00", 0x4A00, &Pic18Node::flash}}) {
        SCOPED_TRACE(c.memory);
        const CliResult r = cli({"dump", c.memory, "1", c.page});
        ASSERT_EQ(r.status, 0) << r.err;
        const auto shown = dumpBytes(r.out);
        const std::vector<int> chip = (node.*c.truth)(c.from, 16);
        for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(shown.at(c.from + i), chip[i]) << std::hex << c.from + i;
        EXPECT_NE(chip[1], chip[0]);  // the pattern is there, not a blank page
    }
}

TEST_F(Pic18Cli, PokeWritesTheChipsRamAndEeprom) {
    ASSERT_EQ(cli({"poke", "ram", "1", "310", "5A"}).status, 0);
    ASSERT_EQ(cli({"poke", "ee", "1", "20", "A5"}).status, 0);
    EXPECT_EQ(node.ram(0x310, 1), std::vector<int>{0x5A});
    EXPECT_EQ(node.eeprom(0x20, 1), std::vector<int>{0xA5});
}

TEST_F(Pic18Cli, TheMonitorRefusesWritesToWhatIsNotThere) {
    struct Case {
        QStringList args;
        const char* text;
    };
    const QString block = QString("00 ").repeated(64).trimmed();
    const std::vector<int> monitor = node.flash(0x1000, 64);
    for (const Case& c : {
             Case{{"poke", "ram", "1", "100", "01"}, "Запись в закрытый ресурс"},  // request buffer
             Case{{"poke", "ram", "1", "53", "07"}, "Запись в закрытый ресурс"},   // its address
             Case{{"poke", "ram", "1", "900", "01"}, "Запись в несуществующий адрес"},
             Case{{"trans", "1", "wrEE", "400", "1", "--data", "01"}, "Запись в несуществующий адрес"},
             Case{{"trans", "1", "wrFlash", "1000", "40", "--data", block}, "Запись в закрытый ресурс"},
             Case{{"trans", "1", "wrFlash", "2010", "40", "--data", block},
                  "Запись во FLASH не с начала блока"},
             Case{{"trans", "1", "wrFlash", "8000", "40", "--data", block},
                  "Запись в несуществующий адрес"},
             Case{{"trans", "1", "rdI2C", "10", "1", "--slave", "10"}, "Нет ASK от Slave устр-ва на i2c"},
         }) {
        SCOPED_TRACE(c.args.join(' ').left(40).toStdString());
        const CliResult r = cli(c.args);
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.err.find(c.text), std::string::npos) << r.err;
    }
    EXPECT_EQ(node.ram(0x53, 1), std::vector<int>{0x01});
    EXPECT_EQ(node.flash(0x1000, 64), monitor);
}

TEST_F(Pic18Cli, SfrListsTheChipsRegistersAndWritesOne) {
    const CliResult list = cli({"sfr", "1"});
    ASSERT_EQ(list.status, 0) << list.err;
    // 115200 from a 7.3728 MHz crystal: SPBRG 3, as gpsim has it too.
    EXPECT_EQ(Pic18Node::value(node.gpsim({"p18f6520.spbrg"})[0]), 3);
    EXPECT_NE(list.out.find("SPBRG    =03"), std::string::npos) << list.out;
    ASSERT_EQ(cli({"sfr", "1", "LATD=5A"}).status, 0);
    EXPECT_EQ(Pic18Node::value(node.gpsim({"p18f6520.latd"})[0]), 0x5A);
}

TEST_F(Pic18Cli, ProgramWithVerifyWritesTheImageAndLeavesTheMonitorAlone) {
    const auto image = hexBytes(VELMORA_PIC18_APP_HEX);
    const std::vector<int> monitorBefore = node.flash(0x0000, 64);
    const int config1h = Pic18Node::value(node.gpsim({"p18f6520.CONFIG1H"})[0]);

    const CliResult r = program();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Файл записан успешно"), std::string::npos) << r.err;

    size_t flashBytes = 0, eepromBytes = 0;
    for (const auto& [address, byte] : image) {
        if (address < 0x10000) {
            EXPECT_EQ(node.flash(address, 1)[0], byte) << std::hex << address;
            ++flashBytes;
        } else if (address >= 0xF00000) {
            EXPECT_EQ(node.eeprom(address - 0xF00000, 1)[0], byte) << std::hex << address;
            ++eepromBytes;
        }
    }
    EXPECT_GT(flashBytes, 40u);
    EXPECT_EQ(eepromBytes, 6u);
    // The image's configuration bits are left out; the monitor is never written.
    EXPECT_TRUE(image.count(0x300001));
    EXPECT_EQ(Pic18Node::value(node.gpsim({"p18f6520.CONFIG1H"})[0]), config1h);
    EXPECT_EQ(node.flash(0x0000, 64), monitorBefore);
}

TEST_F(Pic18Cli, EraseOfARangeOffTheBlockEdgesErasesItAndNothingElse) {
    // 0x2000..0x207F filled through gpsim, two blocks; 0x2010..0x205F erased.
    QStringList seed;
    for (int a = 0x2000; a < 0x2080; a += 2) seed << QString("p18f6520.romData[0x%1] = 0x%2").arg(a, 0, 16).arg(0x5A00 | (a & 0xFF), 0, 16);
    node.gpsim(seed);
    const CliResult r = cli({"erase", "1", "2010", "205F"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<int> after = node.flash(0x2000, 0x80);
    for (int a = 0x2000; a < 0x2080; ++a) {
        const int expected = a >= 0x2010 && a <= 0x205F ? 0xFF : (a & 1) ? 0x5A : (a & 0xFF);
        EXPECT_EQ(after[a - 0x2000], expected) << std::hex << a;
    }
}

TEST_F(Pic18Cli, BackupAfterProgrammingEqualsTheImage) {
    ASSERT_EQ(program().status, 0);
    QTemporaryDir dir;
    const QString file = dir.filePath("backup.hex");
    const CliResult r = cli({"backup", "1", file});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto image = hexBytes(VELMORA_PIC18_APP_HEX);
    const auto backup = hexBytes(file);
    // Flash from 0x2000 up: the image's bytes, erased where it gives none (past the
    // chip's 32 KB too).
    for (uint32_t a = 0x2000; a < 0x10000; ++a) {
        const auto it = image.find(a);
        const auto got = backup.find(a);
        const int shown = got == backup.end() ? 0xFF : got->second;
        ASSERT_EQ(shown, it == image.end() ? 0xFF : it->second) << std::hex << a;
    }
    // EEPROM: every cell as the chip holds it, the image's among them.
    const std::vector<int> chip = node.eeprom(0, 0x400);
    for (uint32_t a = 0; a < 0x400; ++a) ASSERT_EQ(backup.at(0xF00000 + a), chip[a]) << std::hex << a;
    for (const auto& [address, byte] : image) {
        if (address >= 0xF00000) EXPECT_EQ(backup.at(address), byte);
    }
}

TEST_F(Pic18Cli, TheModbusAddressComesFromEepromAtTheNextStart) {
    ASSERT_EQ(cli({"setlink", "1", "modbus", "05"}).status, 0);
    EXPECT_EQ(node.eeprom(0xFF, 1), std::vector<int>{0x05});
    cli({"init", "1"});  // the chip restarts, and says nothing
    EXPECT_EQ(cli({"dump", "ram", "5", "0"}).status, 0);
    EXPECT_NE(cli({"dump", "ram", "1", "0"}).status, 0);
    EXPECT_EQ(node.ram(0x53, 1), std::vector<int>{0x05});
}

}  // namespace velmora::testing
