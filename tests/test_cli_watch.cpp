// velmora-cli watch: its words, its lines, and its passes on the fake clock.

#include <gtest/gtest.h>

#include <cstdio>

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
