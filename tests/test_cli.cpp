// velmora-cli end to end: every memory kind of a node and of an i2c sub-module over a
// pseudo-terminal, and the failures a script must be able to tell apart.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/support/CliFixture.h"

using namespace velmora;
using velmora::test::CliRun;

namespace {

class Cli : public test::CliFixture {
protected:
    std::string read(QStringList args) {
        CliRun r = cli(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    }
    void write(QStringList args) {
        CliRun r = cli(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
    }
};

}  // namespace

TEST_F(Cli, NodeMemories) {
    write({"trans", "1", "wrRAM", "123", "3", "--data", "a1 b2 c3"});
    EXPECT_EQ(read({"trans", "1", "rdRAM", "123", "3"}), "A1 B2 C3\n");
    write({"trans", "1", "wrSFR", "F8A", "1", "--data", "5C"});
    EXPECT_EQ(read({"trans", "1", "rdSFR", "A", "1"}), "5C\n");
    write({"trans", "1", "wrEE", "3FE", "2", "--data", "11 22"});
    EXPECT_EQ(read({"trans", "1", "5", "3FE", "2"}), "11 22\n");
    QString block;
    for (int i = 0; i < 64; ++i) block += QString("%1 ").arg(i, 2, 16, QChar('0'));
    write({"trans", "1", "wrFlash", "2040", "40", "--data", block});
    EXPECT_EQ(read({"trans", "1", "rdFlash", "207E", "3"}), "3E 3F FF\n");
    std::string id = read({"trans", "1", "rdID", "0", "0"});
    EXPECT_EQ(id.size(), 252u * 3);
    EXPECT_EQ(id.substr(0, 3), "CF ");
}

TEST_F(Cli, SubModuleMemories) {
    // RAM through the window: REG_PAGE 2 shows 0x100..0x17F at registers 0x80..0xFF
    write({"trans", "1", "wrI2C", "51", "1", "--slave", "10", "--data", "02"});
    write({"trans", "1", "wrI2C", "A3", "1", "--slave", "10", "--data", "77"});
    EXPECT_EQ(read({"trans", "1", "rdI2C", "A3", "1", "--slave", "10"}), "77\n");
    {
        auto lock = server->lockNetwork();
        EXPECT_EQ(network.node(1)->subModule(0x10)->ram[0x123], 0x77);
    }
    // SFRs on page 31
    write({"trans", "1", "wrI2C", "51", "1", "--slave", "10", "--data", "1F"});
    write({"trans", "1", "wrI2C", "8A", "1", "--slave", "10", "--data", "12"});
    EXPECT_EQ(read({"trans", "1", "rdI2C", "8A", "1", "--slave", "10"}), "12\n");
    // EEPROM and Flash through the programming registers on page 0
    write({"trans", "1", "wrI2C", "51", "1", "--slave", "10", "--data", "00"});
    write({"trans", "1", "wrI2C", "A9", "2", "--slave", "10", "--data", "10 00"});
    write({"trans", "1", "wrI2C", "A8", "3", "--slave", "10", "--data", "5A 55 AA"});
    write({"trans", "1", "wrI2C", "A9", "2", "--slave", "10", "--data", "10 00"});
    EXPECT_EQ(read({"trans", "1", "rdI2C", "A8", "1", "--slave", "10"}), "5A\n");
    write({"trans", "1", "wrI2C", "F6", "3", "--slave", "10", "--data", "00 50 00"});
    write({"trans", "1", "wrI2C", "A6", "3", "--slave", "10", "--data", "10 55 AA"});
    write({"trans", "1", "wrI2C", "F5", "A", "--slave", "10", "--data",
           "01 02 03 04 05 06 07 08 55 AA"});
    write({"trans", "1", "wrI2C", "F6", "3", "--slave", "10", "--data", "06 50 00"});
    EXPECT_EQ(read({"trans", "1", "rdI2C", "F5", "3", "--slave", "10"}), "07 08 FF\n");
}

TEST_F(Cli, FailuresGoToStandardErrorWithTheirCode) {
    CliRun absent = cli({"trans", "1", "rdI2C", "80", "1", "--slave", "30", "--retries", "1"});
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.out, "");
    EXPECT_EQ(absent.err, "velmora-cli: result 143 (0x8F): Нет ASK от Slave устр-ва на i2c \n");
    CliRun silent = cli({"trans", "9", "rdRAM", "0", "1", "--retries", "1"});
    EXPECT_EQ(silent.status, 1);
    EXPECT_EQ(silent.err, "velmora-cli: result 31 (0x1F): Контроллер не ответил\n");
    CliRun usage = cli({"trans", "1", "rdRAM", "0"});
    EXPECT_EQ(usage.status, 2);
    CliRun noPort = cli({"--port", "/nonexistent/tty", "trans", "1", "rdRAM", "0", "1"}, false);
    EXPECT_EQ(noPort.status, 3);
    EXPECT_NE(noPort.err.find("cannot open /nonexistent/tty"), std::string::npos);
}

TEST_F(Cli, LogGoesToStandardError) {
    CliRun r = cli({"--log", "trans", "1", "rdRAM", "50", "4"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "00 00 00 01\n");
    EXPECT_EQ(r.err, "Send>01 70 00 50 04 3E C3 \n<Res 01 70 00 50 04 00 00 00 01 3C 14 \n");
}

TEST_F(Cli, PortsListsThePortInUse) {
    CliRun r = cli({"ports"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("* " + server->devicePath()), std::string::npos);
}

// Requests that could only print data nobody sent are refused before the port is opened:
// nothing goes out and nothing is printed.
TEST_F(Cli, ReadsThatCannotBeAnsweredAreABadCommandLine) {
    const std::vector<QStringList> cases = {
        {"trans", "7", "rdRAM", "50", "4", "--retries", "0"},
        {"trans", "0", "rdRAM", "50", "4"},
        {"trans", "1", "rdRAM", "50", "100"},
    };
    for (const auto& words : cases) {
        CliRun r = cli(words);
        EXPECT_EQ(r.status, 2) << words.join(' ').toStdString();
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("velmora-cli: "), std::string::npos);
    }
    // A write and the initialisation to every node stay allowed.
    EXPECT_EQ(cli({"trans", "0", "wrRAM", "200", "1", "--data", "08"}).status, 0);
    EXPECT_EQ(cli({"trans", "0", "initMod", "0", "0"}).status, 0);
}

namespace {

void writeFile(const QString& path, const std::string& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.data(), static_cast<qint64>(text.size()));
}

// Flash 0x2400..0x240F = 00..0F; EEPROM 0x010..0x012 = 11 22 33 (checksums by hand).
const std::string kSmallImage =
    ":020000040000FA\r\n"
    ":10240000000102030405060708090A0B0C0D0E0F54\r\n"
    ":0200000400F00A\r\n"
    ":0300100011223387\r\n";

}  // namespace

TEST_F(Cli, ProgramVerifyEraseAndBackUpANode) {
    QTemporaryDir dir;
    const std::string image = kSmallImage + ":00000001FF\r\n";
    writeFile(dir.filePath("fw.hex"), image);
    CliRun r = cli({"program", dir.filePath("fw.hex"), "1", "--verify"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("  FLASH   0x2400        0x240F      0x0010"), std::string::npos);
    EXPECT_NE(r.err.find("Файл записан успешно"), std::string::npos);
    EXPECT_EQ(read({"trans", "1", "rdFlash", "2400", "4"}), "00 01 02 03\n");
    EXPECT_EQ(read({"trans", "1", "rdEE", "10", "3"}), "11 22 33\n");

    CliRun erased = cli({"erase", "1", "2402", "2403"});
    EXPECT_EQ(erased.status, 0) << erased.err;
    EXPECT_NE(erased.err.find("Errase Flash: 0x2402 ... 0x2403"), std::string::npos);
    EXPECT_EQ(read({"trans", "1", "rdFlash", "2400", "5"}), "00 01 FF FF 04\n");

    CliRun saved = cli({"backup", "1", dir.filePath("saved.hex")});
    EXPECT_EQ(saved.status, 0) << saved.err;
    QFile f(dir.filePath("saved.hex"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const std::string text = f.readAll().toStdString();
    // The erased bytes are in the block's record as FF.
    EXPECT_NE(text.find(":102400000001FFFF0405060708090A0B0C0D0E0F5B\r\n"), std::string::npos);
    EXPECT_NE(text.find(":0200000400F00A\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 13), ":00000001FF\r\n");
}

TEST_F(Cli, ProgramAnI2cModuleAboveTheBottomAndBackItUp) {
    QTemporaryDir dir;
    // 0x2000 is below the bottom 0x4000 and is not written; 0x4000 is.
    writeFile(dir.filePath("fw.hex"), ":022000007788DF\r\n:02400000A1B26B\r\n:00000001FF\r\n");
    CliRun r = cli({"--flash-bottom", "4000", "program", dir.filePath("fw.hex"), "1", "--slave",
                    "10", "--verify"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Не записано 2 байт Flash ниже адреса 4000"), std::string::npos) << r.err;
    CliRun saved =
        cli({"--flash-bottom", "4000", "backup", "1", dir.filePath("b.hex"), "--slave", "10"});
    EXPECT_EQ(saved.status, 0) << saved.err;
    QFile f(dir.filePath("b.hex"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const std::string text = f.readAll().toStdString();
    EXPECT_NE(text.find(":10400000A1B2FFFFFFFFFFFFFFFFFFFFFFFFFFFF"), std::string::npos);
    EXPECT_EQ(text.find(":10200000"), std::string::npos);
}

// A file or a range that is refused sends nothing at all.
TEST_F(Cli, RefusedFilesAndRangesSendNothing) {
    QTemporaryDir dir;
    writeFile(dir.filePath("bad.hex"), ":020000040000FA\r\n:02240000AABB00\r\n");
    const unsigned before = network.requestsSeen();
    CliRun bad = cli({"program", dir.filePath("bad.hex"), "1"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("Ошибка  контрольной суммы входного файла, строка 2"), std::string::npos)
        << bad.err;
    CliRun missing = cli({"program", dir.filePath("none.hex"), "1"});
    EXPECT_EQ(missing.status, 1);
    // Files that would once have been "written" though nothing of them reached the
    // module: the refusal names the line or the cause (checksums by hand).
    struct Refused {
        const char* name;
        std::string text;
        QStringList options;
        std::string message;
    };
    const std::vector<Refused> refused = {
        {"upper 0001", ":020000040001F9\r\n:02200000A1B28B\r\n:00000001FF\r\n", {},
         "Данные вне памяти модуля (адрес 012000), строка 2"},
        {"segment 1000", ":020000021000EC\r\n:02200000A1B28B\r\n:00000001FF\r\n", {},
         "Данные вне памяти модуля (адрес 012000), строка 2"},
        {"cut at a line end", kSmallImage, {},
         "Нет записи конца файла: файл оборван после строки 4"},
        {"end record first", ":00000001FF\r\n" + kSmallImage, {},
         "В файле нет данных для записи в модуль"},
        {"only below the bottom", ":022000007788DF\r\n:00000001FF\r\n",
         {"--flash-bottom", "4000", "--slave", "10"},
         "все данные Flash ниже адреса 4000"},
    };
    for (const Refused& c : refused) {
        writeFile(dir.filePath("r.hex"), c.text);
        CliRun r = cli(c.options + QStringList{"program", dir.filePath("r.hex"), "1"});
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
        EXPECT_EQ(r.err.find("успешно"), std::string::npos) << c.name;
    }
    // Nor is a FIFO or a device read as a HEX file: no wait for a writer, no endless read.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
    for (const QString& special : {dir.filePath("fifo"), QString("/dev/zero")}) {
        CliRun r = cli({"program", special, "1"});
        EXPECT_EQ(r.status, 1) << special.toStdString();
        EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
    }
    // A backup that could not be saved fails before the module is read, and the node
    // under that name stays what it was.
    for (const QString& target : {dir.filePath("fifo"), QString("/dev/full")}) {
        const QByteArray name = QFile::encodeName(target);
        struct stat before {};
        ASSERT_EQ(::lstat(name.constData(), &before), 0);
        CliRun r = cli({"backup", "1", target});
        EXPECT_EQ(r.status, 2) << target.toStdString();
        EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
        struct stat after {};
        ASSERT_EQ(::lstat(name.constData(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode) << target.toStdString();
        EXPECT_EQ(after.st_ino, before.st_ino) << target.toStdString();
    }
    CliRun below = cli({"erase", "1", "1000", "2000"});
    EXPECT_EQ(below.status, 2);
    EXPECT_NE(below.err.find("Ошбка диапазона стирания"), std::string::npos);
    EXPECT_EQ(cli({"erase", "1", "3000", "2FFF"}).status, 2);
    EXPECT_EQ(cli({"--flash-bottom", "4000", "erase", "1", "3000", "4000", "--slave", "10"}).status,
              2);
    EXPECT_EQ(network.requestsSeen(), before);
}

// An option the command does not take ends the run with status 2 before the port is
// opened: nothing reaches the line and no file is written. A relative path to the port is
// the same port.
TEST_F(Cli, ForeignOptionsAreRefusedAndARelativePortPathWorks) {
    QTemporaryDir dir;
    const std::pair<QStringList, std::string> refused[] = {
        {{"backup", "1", dir.filePath("b.hex"), "--verify"}, "backup does not take --verify"},
        {{"erase", "1", "4000", "40FF", "--shift", "100"}, "erase does not take --shift"},
        {{"dump", "ram", "1", "0", "--retries", "1"}, "dump does not take --retries"},
    };
    for (const auto& [words, message] : refused) {
        CliRun r = cli(words);
        EXPECT_EQ(r.status, 2) << words.join(' ').toStdString();
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("velmora-cli: " + message, 0), 0u) << r.err;
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("b.hex")));
    {
        auto lock = server->lockNetwork();
        EXPECT_EQ(network.requestsSeen(), 0u);
    }

    // Qt itself reads "./x" as a path but "x" as /dev/x: the name has no "./" in front.
    ASSERT_TRUE(QFile::link(QString::fromStdString(server->devicePath()), dir.filePath("adapter")));
    workingDirectory = dir.path();
    CliRun r = cli({"--port", "adapter", "trans", "1", "rdRAM", "50", "4"}, false);
    EXPECT_EQ(r.status, 0) << r.err;
    auto lock = server->lockNetwork();
    const auto& ram = network.node(1)->module().ram;
    char expected[16];
    std::snprintf(expected, sizeof expected, "%02X %02X %02X %02X\n", ram[0x50], ram[0x51], ram[0x52],
                  ram[0x53]);
    EXPECT_EQ(r.out, expected);
}

// `decode` needs no port: its exit status says whether the CRC is right (0, 1) or the
// words are no frame (2), and its lines are the contract scripts read.
TEST_F(Cli, DecodeTakesAFrameApartAndSaysWhetherItsCrcIsRight) {
    struct Case {
        QStringList words;
        int status;
        std::string out;
        std::string errorHas;
    };
    const Case cases[] = {
        {{"01", "70", "00", "10", "04", "0F", "03"}, 0,
         "node 01\ncommand 70 rdRAM\naddress 0010\ncount 04\ncrc 030F ok\n", ""},
        {{"--crc-hi", "03", "79", "55", "AA", "96", "6E"}, 0,
         "node 03\ncommand 79 initMod\ncrc 966E ok\n", ""},
        {{"01700010040F04"}, 1,
         "node 01\ncommand 70 rdRAM\naddress 0010\ncount 04\ncrc 040F bad, want 030F\n", ""},
        {{"01", "70", "00"}, 2, "", "too short"},
        {{"017", "00", "10", "04"}, 2, "", "odd number"},
        {{"01", "6F", "00", "10", "04", "00", "00"}, 2, "", "unknown command 6F"},
        {{"01", "70", "--verify"}, 2, "", "decode does not take --verify"},
    };
    for (const Case& c : cases) {
        const CliRun run = cli(QStringList{"decode"} + c.words, false);
        EXPECT_EQ(run.status, c.status) << c.words.join(' ').toStdString() << run.err;
        EXPECT_EQ(run.out, c.out) << c.words.join(' ').toStdString();
        EXPECT_NE(run.err.find(c.errorHas), std::string::npos) << run.err;
    }
}
