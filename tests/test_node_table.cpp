// Which addresses a tree entry stands for, a node added by hand, the add-node dialog's
// address field and speed list, and the words of the scan and init commands.

#include <gtest/gtest.h>

#include "cli/CliArgs.h"
#include "system/NodeAddressEntry.h"
#include "system/NodeTable.h"

using namespace velmora;
using namespace velmora::system;

namespace {
SystemTableRows twoNodes() {
    SystemTableRows rows{};
    rows[0].cid = 0x05;
    rows[1].cid = 0x07;
    rows[1].moduleCount = 2;
    rows[1].modules[0] = 0x2A;
    rows[1].modules[1] = 0x30;
    return rows;
}
}  // namespace

TEST(NodeTable, EntryAddresses) {
    const SystemTableRows rows = twoNodes();
    struct Case {
        int level;
        size_t node, module;
        std::optional<std::pair<int, int>> expected;
    } cases[] = {
        {1, 0, 0, {{0x05, 0}}},    {1, 1, 9, {{0x07, 0}}},  {2, 1, 0, {{0x07, 0x2A}}},
        {2, 1, 1, {{0x07, 0x30}}}, {2, 1, 2, std::nullopt}, {2, 0, 0, std::nullopt},
        {1, 2, 0, std::nullopt},   {0, 0, 0, std::nullopt}, {3, 0, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        auto a = entryAddress(rows, c.level, c.node, c.module);
        ASSERT_EQ(a.has_value(), c.expected.has_value())
            << c.level << " " << c.node << " " << c.module;
        if (a) {
            EXPECT_EQ(a->cid, c.expected->first);
            EXPECT_EQ(a->slave, c.expected->second);
        }
    }
}

TEST(NodeTable, NodeAddedByHandTakesItsTreePosition) {
    SystemTableRows rows = twoNodes();
    HandAdd added = addNodeByHand(rows, 0x1A);
    EXPECT_EQ(added.outcome, HandAdd::Added);
    EXPECT_EQ(added.row, 2u);
    EXPECT_EQ(rows[2].cid, 0x1A);
    EXPECT_EQ(rows[2].moduleCount, 0);
    // The third node entry addresses it.
    EXPECT_EQ(entryAddress(rows, 1, 2, 0)->cid, 0x1A);

    HandAdd again = addNodeByHand(rows, 0x07);
    EXPECT_EQ(again.outcome, HandAdd::AlreadyListed);
    EXPECT_EQ(again.row, 1u);
    EXPECT_EQ(rows[1].moduleCount, 2) << "a listed node keeps its modules";
    EXPECT_EQ(rows[3].cid, 0);

    SystemTableRows full{};
    for (size_t k = 0; k < kMaxNodes; ++k) full[k].cid = static_cast<uint8_t>(k + 1);
    EXPECT_EQ(addNodeByHand(full, 0x80).outcome, HandAdd::TableFull);
    EXPECT_EQ(addNodeByHand(full, 0x20).outcome, HandAdd::AlreadyListed);
}

TEST(NodeAddressEntry, TypedAddressIsAlwaysEven) {
    struct Case {
        size_t length;
        char typed;
        std::optional<char> inserted;
    } cases[] = {
        {0, '0', '0'},          {0, '9', '9'},          {0, 'a', 'A'},
        {0, 'F', 'F'},          {0, 'g', std::nullopt}, {0, ' ', std::nullopt},
        {0, '-', std::nullopt}, {1, '0', '0'},          {1, '2', '2'},
        {1, '8', '8'},          {1, 'A', 'A'},          {1, 'c', 'C'},
        {1, 'E', 'E'},          {1, '1', std::nullopt}, {1, '3', std::nullopt},
        {1, '9', std::nullopt}, {1, 'B', std::nullopt}, {1, 'f', std::nullopt},
        {1, 'G', std::nullopt}, {2, '0', std::nullopt}, {2, 'A', std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(addressFieldChar(c.length, c.typed), c.inserted)
            << c.length << " '" << c.typed << "'";
}

TEST(NodeAddressEntry, FieldAndSpeedReadings) {
    EXPECT_EQ(nodeAddressOf("1A"), 0x1A);
    EXPECT_EQ(nodeAddressOf("fe"), 0xFE);
    EXPECT_EQ(nodeAddressOf("2"), 0x02);
    for (const char* bad : {"", "0", "00", "G2", " 2", "1A2"})
        EXPECT_EQ(nodeAddressOf(bad), std::nullopt) << bad;
    EXPECT_EQ(speedOfEntry("   9600"), 9600u);
    EXPECT_EQ(speedOfEntry(" 19200"), 19200u);
    EXPECT_EQ(speedOfEntry("115200"), 115200u);
    const struct {
        uint32_t baud;
        int entry;
    } speeds[] = {{9600, 0}, {19200, 1}, {57600, 2}, {115200, 3}, {2400, 3}, {1200, 3}, {0, 3}};
    for (const auto& s : speeds) EXPECT_EQ(speedEntryIndex(s.baud), s.entry) << s.baud;
}

TEST(CliSystemCommands, Words) {
    std::string error;
    auto scan = cli::parseCliArgs({"--port", "/dev/x", "scan"}, error);
    ASSERT_TRUE(scan) << error;
    EXPECT_EQ(scan->command, cli::CliArgs::Command::Scan);
    EXPECT_EQ(scan->port, "/dev/x");
    EXPECT_EQ(scan->scan.nodes.first, 1);
    EXPECT_EQ(scan->scan.nodes.last, 0xFF);

    const struct {
        const char* range;
        int first, last;
    } good[] = {{"1-20", 1, 0x20}, {"03-10", 3, 0x10}, {"fe-FF", 0xFE, 0xFF}, {"7-7", 7, 7}};
    for (const auto& g : good) {
        auto a = cli::parseCliArgs({"scan", "--nodes", g.range}, error);
        ASSERT_TRUE(a) << g.range << ": " << error;
        EXPECT_EQ(a->scan.nodes.first, g.first) << g.range;
        EXPECT_EQ(a->scan.nodes.last, g.last) << g.range;
    }
    const std::vector<std::vector<std::string>> bad = {
        {"scan", "--nodes"},
        {"scan", "--nodes", "20-1"},
        {"scan", "--nodes", "0-5"},
        {"scan", "--nodes", "1-100"},
        {"scan", "--nodes", "5"},
        {"scan", "--nodes", "-5"},
        {"scan", "--nodes", "1-x"},
        {"scan", "extra"},
        {"init"},
        {"init", "100"},
        {"init", "zz"},
        {"init", "1", "2"},
    };
    for (const auto& words : bad) {
        error.clear();
        EXPECT_FALSE(cli::parseCliArgs(words, error)) << words.back();
        EXPECT_FALSE(error.empty());
    }
    auto init = cli::parseCliArgs({"--speed", "9600", "init", "1a"}, error);
    ASSERT_TRUE(init) << error;
    EXPECT_EQ(init->command, cli::CliArgs::Command::Init);
    EXPECT_EQ(init->init.cid, 0x1A);
    EXPECT_EQ(init->speed, 9600u);
}
