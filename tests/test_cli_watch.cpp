// velmora-cli watch: its words, its lines, and its passes on the fake clock.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/WatchCommand.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora;

TEST(CliWatchWords, AcceptedAndRefused) {
    struct Case {
        std::vector<std::string> words;
        bool ok;
        uint8_t cid, slave;
        uint16_t address, count;
        uint32_t period;
        std::string csv = "";
    };
    const Case cases[] = {
        {{"1", "50", "4"}, true, 0x01, 0, 0x050, 4, 500},
        {{"FE", "1a3", "2", "--slave", "10", "--period", "250"}, true, 0xFE, 0x10, 0x1A3, 2, 250},
        {{"--period", "3000", "3", "FF8", "8"}, true, 0x03, 0, 0xFF8, 8, 3000},
        {{"1", "FF9", "8"}, false, 0, 0, 0, 0, 0},   // 0xFF9 + 8 = 0x1001: past RAM
        {{"1", "50", "9"}, false, 0, 0, 0, 0, 0},    // the watch list reads 1..8
        {{"1", "50", "0"}, false, 0, 0, 0, 0, 0},
        {{"0", "50", "1"}, false, 0, 0, 0, 0, 0},    // broadcast: nobody answers
        {{"100", "50", "1"}, false, 0, 0, 0, 0, 0},
        {{"1", "1000", "1"}, false, 0, 0, 0, 0, 0},
        {{"1", "50"}, false, 0, 0, 0, 0, 0},
        {{"1", "50", "1", "2"}, false, 0, 0, 0, 0, 0},
        {{"1", "50", "1", "--slave"}, false, 0, 0, 0, 0, 0},
        {{"1", "50", "1", "--slave", "0"}, false, 0, 0, 0, 0, 0},
        {{"1", "50", "1", "--period", "0"}, false, 0, 0, 0, 0, 0},
        {{"1", "50", "1", "--period", "-5"}, false, 0, 0, 0, 0, 0},
        {{"1", "50", "1", "--period", "2s"}, false, 0, 0, 0, 0, 0},
        {{"1", "50", "1", "--csv", "out.csv"}, true, 0x01, 0, 0x050, 1, 500, "out.csv"},
        {{"1", "50", "1", "--csv"}, false, 0, 0, 0, 0, 0},
        {{"1", "50", "1", "--csv", ""}, false, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        std::string error;
        auto r = cli::parseWatchWords(c.words, error);
        std::string joined;
        for (const auto& w : c.words) joined += w + " ";
        ASSERT_EQ(r.has_value(), c.ok) << joined << error;
        if (!r) {
            EXPECT_FALSE(error.empty()) << joined;
            continue;
        }
        EXPECT_EQ(r->variable.owner.cid, c.cid) << joined;
        EXPECT_EQ(r->variable.owner.slave, c.slave) << joined;
        EXPECT_EQ(r->variable.address, c.address) << joined;
        EXPECT_EQ(r->variable.count, c.count) << joined;
        EXPECT_EQ(r->periodMs, c.period) << joined;
        EXPECT_EQ(r->csvPath, c.csv) << joined;
    }
}

TEST(CliWatchLines, TimeThenBytesOrTheFault) {
    const cli::ClockTime t{9, 5, 7, 42};
    tools::VariableRead ok{tools::VariableFault::None, {0x00, 0x5C, 0xFF}};
    EXPECT_EQ(cli::watchPassLine(t, {access::moduleAt(1, 0), 0x50, 3}, ok),
              "09:05:07.042 00 5C FF");
    tools::VariableRead bad{tools::VariableFault::Read, {}};
    EXPECT_EQ(cli::watchPassLine({23, 59, 59, 999}, {access::moduleAt(1, 0x10), 0x50, 1}, bad),
              "23:59:59.999 ошибка обмена CID=01  Slave=10");
}

TEST(CliWatchRun, OnePassEveryPeriodOnTheFakeClock) {
    sim::ModuleNetwork network;
    std::string error;
    ASSERT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
    test::EngineRig rig(network);
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    cli::WatchHooks hooks;
    hooks.now = [] { return cli::ClockTime{12, 0, 0, 0}; };
    int passes = 0;
    hooks.stop = [&] { return passes++ >= 5; };  // asked before and after each of three passes
    const uint64_t start = rig.line.clock().now;
    EXPECT_EQ(cli::runWatch(rig.engine, {{access::moduleAt(1, 0), 0x50, 4}, 700}, out, hooks), 0);
    std::fclose(out);
    EXPECT_EQ(std::string(text, size),
              "12:00:00.000 00 00 00 01\n12:00:00.000 00 00 00 01\n12:00:00.000 00 00 00 01\n");
    std::free(text);
    ASSERT_EQ(rig.line.sent().size(), 3u);
    // Two waits of 700 ms between the three passes, plus each exchange's own few ms.
    const uint64_t spent = rig.line.clock().now - start;
    EXPECT_GE(spent, 1400u);
    EXPECT_LT(spent, 1500u);
}

// What a run watched, in the CSV file at its end: node 01's RAM 050..053 reads 00 00 00
// 01 (16777216, low byte first) in the built-in network; the passes come every 500 ms
// of the clock given. The file replaces an older one whole, also when a signal ends the
// run, and a run whose file cannot be written says so.
TEST(CliWatchRun, CsvFileOfTheRun) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "velmora-watch-csv";
    std::filesystem::create_directories(dir);
    struct Case {
        const char* why;
        unsigned lostRequest;   // 1-based; 0: none lost
        int signalAtPass;       // SIGINT during this pass; 0: stopped after three passes
        std::string file;
        int status;
        const char* csv;        // nullptr: no file expected
    };
    const Case cases[] = {
        {"a lost reply leaves its cell empty", 2, 0, (dir / "lost.csv").string(), 0,
         "time_ms,01 050 4\n0,16777216\n500,\n1000,16777216\n"},
        {"a file that cannot be written", 0, 0, (dir / "no-such-folder" / "x.csv").string(), 1, nullptr},
        // Last: the interrupt flag stays set for the rest of the process.
        {"SIGINT during the second pass", 0, 2, (dir / "signal.csv").string(), 0,
         "time_ms,01 050 4\n0,16777216\n500,16777216\n"},
    };
    for (const Case& c : cases) {
        std::ofstream(c.file) << "an older file, longer than the new one, that must not show through\n";
        sim::ModuleNetwork network;
        std::string error;
        ASSERT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
        test::EngineRig rig(network);
        rig.line.delivery().silent = [&](unsigned n) { return n == c.lostRequest; };
        char* text = nullptr;
        size_t size = 0;
        std::FILE* out = open_memstream(&text, &size);
        char* complaint = nullptr;
        size_t complaintSize = 0;
        std::FILE* err = open_memstream(&complaint, &complaintSize);
        int pass = 0, asked = 0;
        cli::WatchHooks hooks;
        hooks.now = [&] {
            if (++pass == c.signalAtPass) std::raise(SIGINT);
            return cli::ClockTime{12, 0, 0, 0};
        };
        const std::function<bool()> interrupted = c.signalAtPass ? cli::interruptFlag() : nullptr;
        hooks.stop = [&] { return interrupted ? interrupted() : asked++ >= 5; };
        hooks.clockMs = [&] { return 7000 + 500 * static_cast<uint64_t>(pass); };
        hooks.err = err;
        cli::WatchRequest request{{access::moduleAt(1, 0), 0x50, 4}, 500, c.file};
        EXPECT_EQ(cli::runWatch(rig.engine, request, out, hooks), c.status) << c.why;
        std::fclose(out);
        std::fclose(err);
        EXPECT_EQ(std::string(complaint, complaintSize).empty(), c.status == 0) << c.why;
        std::free(complaint);
        const std::string lines(text, size);
        std::free(text);
        EXPECT_EQ(lines.find("ошибка обмена CID=01") != std::string::npos, c.lostRequest != 0) << c.why;
        if (!c.csv) continue;
        std::stringstream written;
        written << std::ifstream(c.file).rdbuf();
        EXPECT_EQ(written.str(), c.csv) << c.why;
    }
    std::filesystem::remove_all(dir);
}
