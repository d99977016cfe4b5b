// Every device command of velmora-cli, at the node and through it at an i2c module, with
// replies lost on the way: the frames each sends are recorded and compared with those the
// tree sent when the record was made (tests/data/cli-frames.txt). A change that moves a
// byte on the wire fails here; when the change is meant, write the record again with
// VELMORA_WRITE_CLI_FRAMES=1 and give the reason for each difference in its commit.

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/support/CliFixture.h"

namespace velmora::test {
namespace {

struct Command {
    QStringList args;
    unsigned dropEvery;  // every n-th reply lost while the command runs
};

// A record line per command: its arguments, how many frames it sent and a 64-bit FNV-1a
// hash of them (each as its bytes and a separator).
std::string recordLine(const QStringList& args, const std::vector<std::vector<uint8_t>>& frames) {
    uint64_t hash = 14695981039346656037ull;
    auto mix = [&](uint8_t b) {
        hash ^= b;
        hash *= 1099511628211ull;
    };
    for (const auto& f : frames) {
        for (uint8_t b : f) mix(b);
        mix(0xFF);
        mix(0x00);
    }
    char tail[64];
    std::snprintf(tail, sizeof tail, " | %zu frames %016llx", frames.size(),
                  static_cast<unsigned long long>(hash));
    return args.join(' ').toStdString() + tail;
}

class CliFrames : public CliFixture {};

TEST_F(CliFrames, EveryCommandSendsTheFramesOnRecord) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString hex = dir.filePath("app.hex");
    const QString tst = dir.filePath("steps.tst");
    {
        QFile f(hex);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // Flash 0x2400..0x240F = 00..0F, EEPROM 0x010..0x012 = 11 22 33.
        f.write(":10240000000102030405060708090A0B0C0D0E0F54\r\n:0200000400F00A\r\n"
                ":0300100011223387\r\n:00000001FF\r\n");
        QFile t(tst);
        ASSERT_TRUE(t.open(QIODevice::WriteOnly));
        t.write("01 70 00 50 04\r\n01 78\r\n");
    }
    // Relative names: the record must not depend on where the temporary folder is.
    workingDirectory = dir.path();
    const std::vector<Command> commands = {
        {{"ident", "1"}, 3},
        {{"ident", "1", "--slave", "10"}, 3},
        {{"init", "1"}, 3},
        {{"trans", "1", "rdRAM", "50", "4"}, 2},
        {{"trans", "1", "rdI2C", "51", "1", "--slave", "10"}, 2},
        {{"send", "--wait", "300", "01", "70", "00", "50", "04"}, 0},
        {{"dump", "ram", "1", "0"}, 3},
        {{"dump", "ram", "1", "180", "--slave", "10"}, 3},
        {{"dump", "ee", "1", "0"}, 3},
        {{"dump", "ee", "1", "0", "--slave", "10"}, 3},
        {{"dump", "flash", "1", "2000"}, 3},
        {{"dump", "flash", "1", "4000", "--slave", "10"}, 3},
        {{"poke", "ram", "1", "60", "5A"}, 2},
        {{"poke", "ram", "1", "160", "5B", "--slave", "10"}, 3},
        {{"poke", "ee", "1", "20", "A5"}, 2},
        {{"poke", "ee", "1", "20", "A6", "--slave", "10"}, 3},
        {{"sfr", "1"}, 4},
        {{"sfr", "1", "PORTA=55"}, 2},
        {{"sfr", "1", "--slave", "10"}, 4},
        {{"sfr", "1", "LATB=0F", "--slave", "10"}, 3},
        {{"setlink", "1", "vector", "12"}, 2},
        {{"program", "app.hex", "1", "--verify"}, 5},
        {{"program", "app.hex", "1", "--slave", "10", "--shift", "2000", "--verify"}, 7},
        {{"erase", "1", "2410", "2450"}, 4},
        {{"erase", "1", "4410", "4450", "--slave", "10"}, 5},
        {{"backup", "1", "node.hex", "--flash-bottom", "FF00"}, 25},
        {{"backup", "1", "i2c.hex", "--slave", "10", "--flash-bottom", "FF00"}, 31},
        {{"test", "steps.tst", "--once", "--period", "50"}, 0},
        {{"scan", "--nodes", "1-3"}, 40},
    };
    std::vector<std::string> lines;
    for (const Command& c : commands) {
        size_t before;
        {
            auto lock = server->lockNetwork();
            sim::FaultPlan plan;
            plan.dropEvery = c.dropEvery;
            network.setFaults(plan);
            before = network.requestLog().size();
        }
        QElapsedTimer took;
        took.start();
        const CliRun run = cli(c.args);
        if (qEnvironmentVariableIsSet("VELMORA_CLI_FRAMES_TIMES"))
            std::fprintf(stderr, "%6lld ms  %s\n%s", static_cast<long long>(took.elapsed()),
                         c.args.join(' ').toUtf8().constData(), run.err.c_str());
        std::vector<std::vector<uint8_t>> frames;
        {
            auto lock = server->lockNetwork();
            const auto& log = network.requestLog();
            frames.assign(log.begin() + static_cast<std::ptrdiff_t>(before), log.end());
        }
        lines.push_back(recordLine(c.args, frames) + " | exit " + std::to_string(run.status));
    }

    const std::string recordPath = VELMORA_SOURCE_DIR "/tests/data/cli-frames.txt";
    if (qEnvironmentVariableIsSet("VELMORA_WRITE_CLI_FRAMES")) {
        std::ofstream out(recordPath, std::ios::binary);
        for (const std::string& l : lines) out << l << '\n';
        GTEST_SKIP() << "record written: " << recordPath;
    }
    std::ifstream in(recordPath, std::ios::binary);
    ASSERT_TRUE(in) << "no record at " << recordPath;
    std::vector<std::string> record;
    for (std::string l; std::getline(in, l);) record.push_back(l);
    for (size_t i = 0; i < std::max(lines.size(), record.size()); ++i) {
        const std::string got = i < lines.size() ? lines[i] : "(none)";
        const std::string want = i < record.size() ? record[i] : "(none)";
        EXPECT_EQ(got, want);
    }
}

}  // namespace
}  // namespace velmora::test
