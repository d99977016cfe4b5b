// The command line of velmora-cli.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/CliArgs.h"

using namespace velmora;

namespace {
std::optional<cli::CliArgs> parse(std::vector<std::string> words, std::string& error) {
    return cli::parseCliArgs(words, error);
}
}  // namespace

TEST(CliArgs, Transaction) {
    std::string error;
    auto a = parse({"--port", "/dev/pts/3", "--speed", "9600", "--log", "trans", "1", "rdI2C", "80",
                    "10", "--slave", "22", "--retries", "1"},
                   error);
    ASSERT_TRUE(a) << error;
    EXPECT_EQ(a->port, "/dev/pts/3");
    EXPECT_EQ(a->speed, 9600u);
    EXPECT_TRUE(a->log);
    EXPECT_EQ(a->trans.cid, 1);
    EXPECT_EQ(a->trans.kind, 9);
    EXPECT_EQ(a->trans.address, 0x80);
    EXPECT_EQ(a->trans.count, 0x10);
    EXPECT_EQ(a->trans.slave, 0x22);
    EXPECT_EQ(a->trans.retries, 1);
}

TEST(CliArgs, WriteNeedsItsData) {
    std::string error;
    auto a = parse({"trans", "1", "4", "123", "2", "--data", "AA bb"}, error);
    ASSERT_TRUE(a) << error;
    EXPECT_EQ(a->trans.data, (std::vector<uint8_t>{0xAA, 0xBB}));
    EXPECT_EQ(a->trans.retries, 3);
}

TEST(CliArgs, BadInputsSayWhy) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"trans", "1", "rdRAM", "0"}, "trans takes CID KIND ADDR COUNT"},
        {{"trans", "100", "rdRAM", "0", "1"}, "bad CID '100' (hex 00..FF)"},
        {{"trans", "1", "readRAM", "0", "1"}, "bad KIND 'readRAM' (rdID ... initMod, or 0..11)"},
        {{"trans", "1", "rdRAM", "10000", "1"}, "bad ADDR '10000' (hex 0000..FFFF)"},
        {{"trans", "1", "wrRAM", "0", "2", "--data", "01"},
         "a write of COUNT bytes needs --data with exactly COUNT bytes"},
        {{"trans", "1", "rdRAM", "0", "2", "--data", "01 02"}, "--data goes with write kinds only"},
        {{"trans", "1", "rdRAM", "0", "2", "--retries", "300"},
         "bad retries '300' (decimal 1..255)"},
        // Retries 0 sends nothing, so there would be no data to print.
        {{"trans", "1", "rdRAM", "0", "2", "--retries", "0"}, "bad retries '0' (decimal 1..255)"},
        {{"trans", "1", "rdRAM", "0", "2", "--retries", "-1"},
         "bad retries '-1' (decimal 1..255)"},
        // Nobody answers a broadcast: a read to it has nothing to print.
        {{"trans", "0", "rdRAM", "50", "4"},
         "a read needs a node address 01..FF: nobody answers the broadcast address 00"},
        {{"trans", "00", "rdID", "0", "0"},
         "a read needs a node address 01..FF: nobody answers the broadcast address 00"},
        {{"trans", "0", "rdI2C", "80", "10", "--slave", "10"},
         "a read needs a node address 01..FF: nobody answers the broadcast address 00"},
        // Only one count byte goes on the wire; 100 would ask for 00.
        {{"trans", "1", "rdRAM", "0", "100"}, "bad COUNT '100' (hex 00..FF)"},
        {{"trans", "1", "wrRAM", "0", "1FF", "--data", "01"}, "bad COUNT '1FF' (hex 00..FF)"},
        {{"--speed", "fast", "ports"}, "bad speed 'fast'"},
        {{"--port"}, "--port needs a value"},
        {{"--flow", "xon", "ports"}, "--flow takes hw or none"},
    };
    for (auto& [words, message] : cases) {
        std::string error;
        EXPECT_FALSE(parse(words, error));
        EXPECT_EQ(error, message);
    }
}

TEST(CliArgs, WritesAndInitialisationMayGoToEveryNode) {
    const std::vector<std::vector<std::string>> cases = {
        {"trans", "0", "wrRAM", "50", "1", "--data", "08"},
        {"trans", "0", "initMod", "0", "0"},
        {"trans", "0", "wrI2C", "51", "1", "--slave", "10", "--data", "08"},
        {"trans", "1", "rdRAM", "0", "FF", "--retries", "1"},
    };
    for (const auto& words : cases) {
        std::string error;
        EXPECT_TRUE(parse(words, error)) << error;
    }
}

TEST(CliArgs, FirmwareCommands) {
    std::string error;
    auto p = parse({"--flash-bottom", "4000", "program", "fw.hex", "1A", "--slave", "10", "--shift",
                    "100", "--verify"},
                   error);
    ASSERT_TRUE(p) << error;
    EXPECT_EQ(p->command, cli::CliArgs::Command::Program);
    EXPECT_EQ(p->firmware.file, "fw.hex");
    EXPECT_EQ(p->firmware.cid, 0x1A);
    EXPECT_EQ(p->firmware.shift, 0x100);
    EXPECT_TRUE(p->firmware.verify);
    EXPECT_TRUE(p->slaveGiven);
    EXPECT_EQ(p->flashBottom, 0x4000);
    auto e = parse({"erase", "1", "ff00", "FFFF"}, error);
    ASSERT_TRUE(e) << error;
    EXPECT_EQ(e->firmware.start, 0xFF00u);
    EXPECT_EQ(e->firmware.end, 0xFFFFu);
    EXPECT_FALSE(e->slaveGiven);
    EXPECT_EQ(e->flashBottom, 0x2000);
    auto b = parse({"backup", "3", "out.hex"}, error);
    ASSERT_TRUE(b) << error;
    EXPECT_EQ(b->command, cli::CliArgs::Command::Backup);
    EXPECT_EQ(b->firmware.file, "out.hex");

    const std::pair<std::vector<std::string>, std::string> bad[] = {
        {{"program", "fw.hex"}, "program takes FILE.hex CID"},
        {{"program", "fw.hex", "0"}, "bad CID '0' (hex 01..FF)"},
        {{"backup", "1"}, "backup takes CID FILE.hex"},
        {{"erase", "1", "2000"}, "erase takes CID START END"},
        {{"erase", "1", "1FFF", "2000"}, "Ошбка диапазона стирания"},
        {{"erase", "1", "3000", "2FFF"}, "Ошбка диапазона стирания"},
        {{"erase", "1", "", "2FFF"}, "Ошбка диапазона стирания"},
        {{"--flash-bottom", "4000", "erase", "1", "3FC0", "4000"}, "Ошбка диапазона стирания"},
        {{"--shift", "10000", "program", "f", "1"}, "bad shift '10000' (hex 0000..FFFF)"},
        {{"--flash-bottom", "x", "backup", "1", "f"}, "bad flash-bottom 'x' (hex 0000..FFFF)"},
    };
    for (auto& [words, message] : bad) {
        std::string why;
        EXPECT_FALSE(parse(words, why));
        EXPECT_EQ(why, message);
    }
}

// Each command with its own options, and one that belongs to another command: refused
// with the option and the command named, whether it comes before or after the name, so
// `backup ... --verify` can never pass for a verified backup.
TEST(CliArgs, EachCommandRefusesAnOptionItDoesNotTake) {
    struct Case {
        std::vector<std::string> own;
        std::vector<std::string> foreign;
        std::string message;
    };
    const Case cases[] = {
        {{"ports"}, {"--slave", "10"}, "ports does not take --slave (it takes no option of its own)"},
        {{"trans", "1", "rdI2C", "80", "10", "--slave", "22", "--retries", "1"}, {"--pages", "2"},
         "trans does not take --pages (it takes --slave, --retries, --data)"},
        {{"program", "fw.hex", "1", "--slave", "10", "--shift", "100", "--verify", "--flash-bottom", "4000"},
         {"--retries", "1"},
         "program does not take --retries (it takes --slave, --shift, --verify, --flash-bottom)"},
        {{"erase", "1", "4000", "40FF", "--slave", "10", "--flash-bottom", "4000"}, {"--shift", "100"},
         "erase does not take --shift (it takes --slave, --flash-bottom)"},
        {{"backup", "1", "b.hex", "--slave", "10", "--flash-bottom", "4000"}, {"--verify"},
         "backup does not take --verify (it takes --slave, --flash-bottom)"},
        {{"ident", "1", "--slave", "10"}, {"--pages", "1"}, "ident does not take --pages (it takes --slave)"},
        {{"setlink", "1", "speed", "57600"}, {"--slave", "10"},
         "setlink does not take --slave (it takes no option of its own)"},
        {{"dump", "ram", "1", "0", "--slave", "10", "--pages", "2"}, {"--retries", "1"},
         "dump does not take --retries (it takes --slave, --pages, --symbols)"},
        {{"sfr", "1", "--slave", "10"}, {"--pages", "2"}, "sfr does not take --pages (it takes --slave)"},
        {{"poke", "ram", "1", "10", "00", "--slave", "10"}, {"--data", "01"},
         "poke does not take --data (it takes --slave)"},
        {{"scan", "--nodes", "1-4"}, {"--slave", "10"}, "scan does not take --slave (it takes --nodes)"},
        {{"init", "1"}, {"--retries", "1"}, "init does not take --retries (it takes no option of its own)"},
        {{"send", "--crc-hi", "--wait", "10", "01", "78"}, {"--retries", "1"},
         "send does not take --retries (it takes --crc-hi, --wait)"},
        {{"test", "a.tst", "--once", "--period", "500", "--log", "x.log"}, {"--verify"},
         "test does not take --verify (it takes --once, --period, --log)"},
        {{"watch", "1", "50", "1", "--slave", "10", "--period", "50"}, {"--wait", "5"},
         "watch does not take --wait (it takes --slave, --period, --symbols, --csv)"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_TRUE(parse(c.own, error)) << c.own[0] << ": " << error;
        std::vector<std::string> after = c.own;
        after.insert(after.end(), c.foreign.begin(), c.foreign.end());
        std::vector<std::string> before = c.foreign;
        before.insert(before.end(), c.own.begin(), c.own.end());
        for (const auto& words : {after, before}) {
            error.clear();
            EXPECT_FALSE(parse(words, error)) << c.message;
            EXPECT_EQ(error, c.message);
        }
    }
    // An option of a command that reads its own words may come before the name.
    std::string error;
    auto watch = parse({"--slave", "10", "watch", "1", "50", "1"}, error);
    ASSERT_TRUE(watch) << error;
    EXPECT_EQ(watch->words, (std::vector<std::string>{"--slave", "10", "1", "50", "1"}));
}

// QSerialPort takes a name without a leading '/' for one under /dev: a relative path to a
// file that exists is made absolute, a number stays a port number.
TEST(CliArgs, RelativePortPathIsMadeAbsolute) {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "velmora-port-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    const fs::path dir = fs::canonical(pattern);
    std::ofstream(dir / "ttyV0").put('\n');
    const fs::path start = fs::current_path();
    fs::current_path(dir);
    const std::string absolute = (dir / "ttyV0").string();
    const std::pair<std::string, std::string> cases[] = {
        {"ttyV0", absolute},
        {"./ttyV0", absolute},
        {"../" + dir.filename().string() + "/ttyV0", absolute},
        {"3", "3"},                    // a port number, even with a file of that name
        {"ttyUSB9", "ttyUSB9"},        // no such file: a name under /dev, as before
        {"/dev/ttyS0", "/dev/ttyS0"},
    };
    std::ofstream(dir / "3").put('\n');
    for (const auto& [word, port] : cases) {
        std::string error;
        auto a = parse({"--port", word, "ports"}, error);
        ASSERT_TRUE(a) << error;
        EXPECT_EQ(a->port, port) << word;
    }
    fs::current_path(start);
    fs::remove_all(dir);
}
