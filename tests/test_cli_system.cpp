// velmora-cli scan and init end to end over a pseudo-terminal, against the built-in
// network (node 01 with modules 10 and 22, node 03) with a module 2E added behind 03.

#include <gtest/gtest.h>

#include <QProcess>

#include "tests/support/CliFixture.h"

using namespace velmora;
using velmora::test::CliRun;

namespace {

class CliSystem : public test::CliFixture {
protected:
    CliSystem() {
        prepareNetwork = [](sim::ModuleNetwork& n) { n.node(3)->addSubModule(0x2E); };
    }


};

}  // namespace

TEST_F(CliSystem, ScanPrintsTheNodesFoundWithTheirModules) {
    const struct {
        const char* range;
        const char* out;
    } cases[] = {
        {"1-4", "01: 10 22\n03: 2E\n"},
        {"3-3", "03: 2E\n"},
        {"2-2", ""},
    };
    for (const auto& c : cases) {
        CliRun r = cli({"scan", "--nodes", c.range});
        EXPECT_EQ(r.status, 0) << c.range << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.range;
    }
    CliRun progress = cli({"scan", "--nodes", "2-3"});
    EXPECT_NE(progress.err.find("node 02"), std::string::npos) << progress.err;
    EXPECT_NE(progress.err.find("node 03"), std::string::npos) << progress.err;
}

TEST_F(CliSystem, ModuleLimitPrintsWhatWasFoundAndFails) {
    {
        auto lock = server->lockNetwork();
        for (int s = 2; s <= 66; s += 2) network.node(1)->addSubModule(static_cast<uint8_t>(s));
    }
    CliRun r = cli({"scan", "--nodes", "1-3"});
    EXPECT_EQ(r.status, 1);
    // 02..40 are the first 32; 10 and 22 are among them.
    std::string expected = "01:";
    for (int s = 2; s <= 64; s += 2) {
        char b[4];
        std::snprintf(b, sizeof b, " %02X", s);
        expected += b;
    }
    EXPECT_EQ(r.out, expected + "\n");
    EXPECT_NE(r.err.find("Превышен лимит количества модулей 1-го узла"), std::string::npos);
}

TEST_F(CliSystem, InitReachesTheNodeNamed) {
    CliRun r = cli({"init", "3"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    {
        auto lock = server->lockNetwork();
        EXPECT_EQ(network.node(3)->module().initCount, 1);
        EXPECT_EQ(network.node(1)->module().initCount, 0);
    }
    EXPECT_EQ(cli({"init", "zz"}).status, 2);
    EXPECT_EQ(cli({"scan", "--nodes", "9-1"}).status, 2);
}
