// The configuration file: the format as written, every form a well-made file may take,
// and every malformed one refused whole with the line that is wrong.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <variant>

#include <unistd.h>

#include "system/ConfigFile.h"

using namespace velmora::system;

namespace {

struct Node {
    uint8_t cid;
    std::vector<uint8_t> modules;
};

SystemTableRows table(const std::vector<Node>& nodes) {
    SystemTableRows rows{};
    for (size_t k = 0; k < nodes.size(); ++k) {
        rows[k].cid = nodes[k].cid;
        rows[k].moduleCount = static_cast<uint8_t>(nodes[k].modules.size());
        for (size_t j = 0; j < nodes[k].modules.size(); ++j)
            rows[k].modules[j] = nodes[k].modules[j];
    }
    return rows;
}

bool sameRows(const SystemTableRows& a, const SystemTableRows& b) {
    for (size_t k = 0; k < kMaxNodes; ++k)
        if (a[k].cid != b[k].cid || a[k].moduleCount != b[k].moduleCount ||
            a[k].modules != b[k].modules)
            return false;
    return true;
}

std::string blocks(int n) {
    std::string s;
    for (int i = 1; i <= n; ++i) {
        char line[16];
        std::snprintf(line, sizeof line, "[%02X]\r\n00\r\n", i);
        s += line;
    }
    return s;
}

}  // namespace

TEST(ConfigFile, WritesTheDocumentedLines) {
    // Node 01 with modules 10 and 22, then node 03 without modules: six lines.
    EXPECT_EQ(configText(table({{0x01, {0x10, 0x22}}, {0x03, {}}})),
              "[01]\r\n02\r\n10\r\n22\r\n[03]\r\n00\r\n");
    EXPECT_EQ(configText(table({{0x0A, {}}})), "[0A]\r\n00\r\n");
    EXPECT_EQ(configText(SystemTableRows{}), "");
}

TEST(ConfigFile, ReadsWellMadeFiles) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<Node> expected;
    } cases[] = {
        {"two blocks", "[05]\r\n00\r\n[07]\r\n01\r\n2A\r\n", {{0x05, {}}, {0x07, {0x2A}}}},
        {"lower case", "[0a]\r\n02\r\n2e\r\nfe\r\n", {{0x0A, {0x2E, 0xFE}}}},
        {"mixed case", "[Fe]\r\n01\r\naB\r\n", {{0xFE, {0xAB}}}},
        {"stray lines between",
         "comment\r\n[05]\r\n00\r\nremark\r\n\r\n[07]\r\n00\r\n",
         {{0x05, {}}, {0x07, {}}}},
        {"LF only, no last newline", "[01]\n01\n10", {{0x01, {0x10}}}},
        {"count with leading zeros", "[01]\r\n0002\r\n10\r\n12\r\n", {{0x01, {0x10, 0x12}}}},
        {"a line looking like a block inside one is a module",
         "[01]\r\n01\r\n20\r\n",
         {{0x01, {0x20}}}},
        {"32 modules",
         "[01]\r\n20\r\n" +
             [] {
                 std::string s;
                 for (int i = 2; i <= 64; i += 2) {
                     char l[8];
                     std::snprintf(l, sizeof l, "%02X\r\n", i);
                     s += l;
                 }
                 return s;
             }(),
         {{0x01,
           [] {
               std::vector<uint8_t> v;
               for (int i = 2; i <= 64; i += 2) v.push_back(static_cast<uint8_t>(i));
               return v;
           }()}}},
        {"empty file", "", {}},
        {"no block at all", "nothing here\r\n05\r\n", {}},
    };
    for (const Case& c : cases) {
        ConfigParse parsed = parseConfigText(c.text);
        ASSERT_TRUE(std::holds_alternative<SystemTableRows>(parsed)) << c.name;
        EXPECT_TRUE(sameRows(std::get<SystemTableRows>(parsed), table(c.expected))) << c.name;
    }
    // 32 blocks are the most a table holds.
    ConfigParse full = parseConfigText(blocks(32));
    ASSERT_TRUE(std::holds_alternative<SystemTableRows>(full));
    EXPECT_EQ(std::get<SystemTableRows>(full)[31].cid, 0x20);
}

TEST(ConfigFile, RefusesMalformedFilesNamingTheLine) {
    struct Case {
        std::string text;
        ConfigFault::Kind kind;
        int line;
    } cases[] = {
        {"[05]\r\n0G\r\n", ConfigFault::NotHex, 2},
        {"[05]\r\n02\r\n10\r\nzz\r\n", ConfigFault::NotHex, 4},
        {"[05]\r\n\r\n", ConfigFault::NotHex, 2},
        {"[05]\r\n01\r\n 10\r\n", ConfigFault::NotHex, 3},
        {"[05]\r\n02\r\n10\r\n", ConfigFault::EndsInsideBlock, 1},
        {"x\r\n[05]\r\n", ConfigFault::EndsInsideBlock, 2},
        {"[05]\r\n21\r\n", ConfigFault::CountAbove32, 2},  // 0x21 = 33
        {"[05]\r\nFFFFFFFFFFFF\r\n", ConfigFault::CountAbove32, 2},
        {"[05]\r\n01\r\n100\r\n", ConfigFault::ValueTooLarge, 3},
        {"[5]\r\n00\r\n", ConfigFault::BadNodeLine, 1},
        {"[\r\n", ConfigFault::BadNodeLine, 1},
        {"[00]\r\n00\r\n", ConfigFault::NodeZero, 1},
        {blocks(33), ConfigFault::TooManyNodes, 65},  // block k starts on line 2k - 1
    };
    for (const Case& c : cases) {
        ConfigParse parsed = parseConfigText(c.text);
        ASSERT_TRUE(std::holds_alternative<ConfigFault>(parsed)) << c.text;
        const ConfigFault& f = std::get<ConfigFault>(parsed);
        EXPECT_EQ(f.kind, c.kind) << c.text;
        EXPECT_EQ(f.line, c.line) << c.text;
    }
    const std::string message = configFaultMessage("sysConfig.trm", {ConfigFault::NotHex, 4, "zz"});
    EXPECT_NE(message.find("sysConfig.trm"), std::string::npos) << message;
    EXPECT_NE(message.find("строка 4"), std::string::npos) << message;
    EXPECT_NE(message.find("zz"), std::string::npos) << message;
}

TEST(ConfigFile, SavedTableReadsBackTheSame) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("velmora-config-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "sysConfig.trm").string();

    EXPECT_EQ(readConfigFile(path).outcome, ConfigLoad::Missing);

    // The largest table: 32 nodes of 32 modules each.
    SystemTableRows rows{};
    for (size_t k = 0; k < kMaxNodes; ++k) {
        rows[k].cid = static_cast<uint8_t>(0x21 + k);
        rows[k].moduleCount = kMaxModules;
        for (size_t j = 0; j < kMaxModules; ++j)
            rows[k].modules[j] = static_cast<uint8_t>(2 * j + 0x80);
    }
    ASSERT_EQ(writeConfigFile(path, rows), "");
    ConfigLoad back = readConfigFile(path);
    ASSERT_EQ(back.outcome, ConfigLoad::Loaded);
    EXPECT_TRUE(sameRows(back.rows, rows));
    // Per node "[NN]" CR LF, the count and 32 module lines of two digits and CR LF.
    EXPECT_EQ(fs::file_size(path), 32u * (6 + 4 + 32 * 4));

    // A save that cannot be made leaves the saved file as it was.
    EXPECT_NE(writeConfigFile((dir / "missing" / "sysConfig.trm").string(), rows), "");
    std::ofstream(path, std::ios::binary) << "[05]\r\n0G\r\n";
    ConfigLoad bad = readConfigFile(path);
    EXPECT_EQ(bad.outcome, ConfigLoad::Refused);
    EXPECT_EQ(bad.fault.line, 2);
    fs::remove_all(dir);
}

// A configuration kept elsewhere and linked into the working folder stays linked, and
// the file keeps the permissions its owner gave it.
TEST(ConfigFile, SavedThroughALinkKeepingThePermissions) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("velmora-config-link-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "shared");
    const fs::path real = dir / "shared" / "line3.trm";
    std::ofstream(real, std::ios::binary) << "[01]\r\n00\r\n";
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    const fs::path link = dir / "sysConfig.trm";
    fs::create_symlink("shared/line3.trm", link);

    ASSERT_EQ(writeConfigFile(link.string(), table({{0x03, {0x10}}})), "");
    EXPECT_TRUE(fs::is_symlink(link));
    std::ifstream in(real, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "[03]\r\n01\r\n10\r\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(fs::exists(dir / "shared" / "line3.trm.tmp"));
    fs::remove_all(dir);
}
