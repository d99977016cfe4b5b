// velmora-cli ident and setlink end to end over a pseudo-terminal: the lines as the
// window's list shows them, the names file of the working directory, and the failures.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/support/CliFixture.h"

using namespace velmora;
using velmora::test::CliRun;

namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    for (size_t end; (end = text.find('\n', pos)) != std::string::npos; pos = end + 1)
        lines.push_back(text.substr(pos, end - pos));
    return lines;
}

class CliIdent : public test::CliFixture {
protected:
    CliIdent() { workingDirectory = dir.path(); }

    QTemporaryDir dir;
};

}  // namespace

TEST_F(CliIdent, ANodeAndASubModuleLineByLine) {
    CliRun node = cli({"ident", "1"});
    EXPECT_EQ(node.status, 0) << node.err;
    auto lines = linesOf(node.out);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[0], std::string(9, ' ') + "                  Тип:   ПЛК-18 узел");
    EXPECT_EQ(lines[12], std::string(9, ' ') + "Скорость обмена бит/с:   115200");
    EXPECT_EQ(lines[15], std::string(9, ' ') + "               Вектор:   2000");

    CliRun sub = cli({"ident", "01", "--slave", "22"});
    EXPECT_EQ(sub.status, 0) << sub.err;
    EXPECT_EQ(linesOf(sub.out).at(0),
              std::string(9, ' ') + "                  Тип:   Модуль выходов");
}

TEST_F(CliIdent, NamesFromTheWorkingDirectory) {
    QFile names(dir.path() + "/titleId.dat");
    ASSERT_TRUE(names.open(QIODevice::WriteOnly));
    names.write("\xD2\xE8\xEF:\r\n");  // "Тип:" in Windows-1251
    names.close();
    CliRun r = cli({"ident", "3"});
    EXPECT_EQ(r.status, 0) << r.err;
    auto lines = linesOf(r.out);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[0], std::string(28, ' ') + "Тип:  ПЛК-18 узел");
    EXPECT_EQ(lines[1], std::string(11, ' ') + "Неизвестный параметр:  Расширенное");
}

TEST_F(CliIdent, AFailedReadPrintsNoDataAndFails) {
    CliRun node = cli({"ident", "5"});
    EXPECT_EQ(node.status, 1);
    auto lines = linesOf(node.out);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[3], std::string(9, ' ') + "         Дата выпуска: Нет данных");
    EXPECT_EQ(node.err, "velmora-cli: Ошибка 31 чтения идентификатора\n");

    CliRun sub = cli({"ident", "1", "--slave", "30"});
    EXPECT_EQ(sub.status, 1);
    EXPECT_EQ(sub.err, "velmora-cli: Нет ASK от Slave устр-ва на i2c \n");
}

TEST_F(CliIdent, SetLinkWritesTheNodesEeprom) {
    const struct {
        QStringList args;
        const char* out;
        const char* readBack;  // the address; the byte read back is the last word printed
    } cases[] = {
        {{"setlink", "3", "speed", "19200"}, "EEPROM 0FD: 81\n", "0FD"},
        {{"setlink", "3", "modbus", "4"}, "EEPROM 0FF: 04\n", "0FF"},
        {{"setlink", "3", "i2c", "2a"}, "EEPROM 0FE: 2A\n", "0FE"},
        {{"setlink", "3", "vector", "40"}, "EEPROM 0FC: 40\n", "0FC"},
    };
    for (const auto& c : cases) {
        CliRun r = cli(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out);
        CliRun back = cli({"trans", "3", "rdEE", c.readBack, "1"});
        EXPECT_EQ(back.out, std::string(c.out).substr(12));
    }
}

TEST_F(CliIdent, SetLinkRefusalsAndFailures) {
    for (const QStringList& args : {QStringList{"setlink", "3", "modbus", "00"},
                                    QStringList{"setlink", "3", "speed", "38400"},
                                    QStringList{"setlink", "3", "speed"}, QStringList{"ident"}}) {
        CliRun r = cli(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(cli({"trans", "3", "rdEE", "0FF", "1"}).out, "03\n");
    CliRun dead = cli({"setlink", "5", "vector", "1"});
    EXPECT_EQ(dead.status, 1);
    EXPECT_EQ(dead.err,
              "velmora-cli: the EEPROM write failed: result 31 (0x1F): Контроллер не ответил\n");
}
