// velmora-cli's dump, sfr and poke end to end over a pseudo-terminal, at the node and
// at its i2c module 10, checked against what the simulated modules hold.

#include <gtest/gtest.h>

#include <QProcess>

#include "tests/support/CliFixture.h"

using namespace velmora;
using velmora::test::CliRun;

namespace {

class ViewCli : public test::CliFixture {
protected:
    template <typename F>
    void withNetwork(F f) {
        auto lock = server->lockNetwork();
        f(*network.node(1));
    }
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        out.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    return out;
}

}  // namespace

TEST_F(ViewCli, DumpEveryMemoryAtBothLevels) {
    withNetwork([](sim::SimNode& n) {
        for (int i = 0; i < 16; ++i) n.module().ram[0x120 + i] = static_cast<uint8_t>(0xA0 + i);
        n.subModule(0x10)->eeprom[0x3F0] = 0x5E;
        n.subModule(0x10)->ram[0x51] = 0x04;
    });
    CliRun ram = cli({"dump", "ram", "1", "12F"});
    ASSERT_EQ(ram.status, 0) << ram.err;
    auto l = lines(ram.out);
    ASSERT_EQ(l.size(), 16u);
    EXPECT_EQ(l[0], "0100: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(l[2], "0120: A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF");

    CliRun ee = cli({"dump", "ee", "1", "300", "--slave", "10"});
    ASSERT_EQ(ee.status, 0) << ee.err;
    EXPECT_EQ(lines(ee.out).at(15), "03F0: 5E FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF");

    // Module 10's Flash begins 00 01 02 03 at 0x4000; two pages, 32 lines.
    CliRun flash = cli({"dump", "flash", "1", "4000", "--slave", "10", "--pages", "2"});
    ASSERT_EQ(flash.status, 0) << flash.err;
    auto f = lines(flash.out);
    ASSERT_EQ(f.size(), 32u);
    EXPECT_EQ(f[0], "4000: 00 01 02 03 FF FF FF FF FF FF FF FF FF FF FF FF");
    EXPECT_EQ(f[16].substr(0, 5), "4100:");
    withNetwork([](sim::SimNode& n) { EXPECT_EQ(n.subModule(0x10)->ram[0x51], 0x04); });
}

TEST_F(ViewCli, SfrListAndWrite) {
    CliRun set = cli({"sfr", "1", "LATB=12", "--slave", "10"});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(set.out, "");
    withNetwork([](sim::SimNode& n) { EXPECT_EQ(n.subModule(0x10)->ram[0xF8A], 0x12); });

    CliRun list = cli({"sfr", "1", "--slave", "10"});
    ASSERT_EQ(list.status, 0) << list.err;
    auto l = lines(list.out);
    ASSERT_EQ(l.size(), 128u);
    EXPECT_EQ(l[0].substr(0, 10), "ADCON0   =");
    EXPECT_NE(std::find(l.begin(), l.end(), "LATB     =12"), l.end());

    EXPECT_EQ(cli({"sfr", "1", "PORTC=3C"}).status, 0);
    withNetwork([](sim::SimNode& n) { EXPECT_EQ(n.module().ram[0xF82], 0x3C); });
}

TEST_F(ViewCli, PokeAtBothLevels) {
    struct Case {
        QStringList words;
        std::function<uint8_t(sim::SimNode&)> cell;
        uint8_t expected;
    };
    const Case cases[] = {
        {{"poke", "ram", "1", "123", "5A"}, [](auto& n) { return n.module().ram[0x123]; }, 0x5A},
        {{"poke", "ee", "1", "3FE", "42"}, [](auto& n) { return n.module().eeprom[0x3FE]; }, 0x42},
        {{"poke", "ram", "1", "123", "A5", "--slave", "10"},
         [](auto& n) { return n.subModule(0x10)->ram[0x123]; },
         0xA5},
        {{"poke", "ee", "1", "1F3", "24", "--slave", "10"},
         [](auto& n) { return n.subModule(0x10)->eeprom[0x1F3]; },
         0x24},
    };
    for (const Case& c : cases) {
        CliRun r = cli(c.words);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        withNetwork([&](sim::SimNode& n) {
            EXPECT_EQ(c.cell(n), c.expected) << c.words.join(' ').toStdString();
        });
    }
}

TEST_F(ViewCli, FailuresAndRefusals) {
    // Module 30 is not on node 01's bus.
    CliRun absent = cli({"dump", "ram", "1", "0", "--slave", "30"});
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.out, "");
    EXPECT_NE(absent.err.find("velmora-cli: page 0000 could not be read"), std::string::npos);
    CliRun sfr = cli({"sfr", "1", "LATB=12", "--slave", "30"});
    EXPECT_EQ(sfr.status, 1);
    EXPECT_NE(sfr.err.find("Ошибка записи в SFR"), std::string::npos);
    CliRun ee = cli({"poke", "ee", "1", "10", "00", "--slave", "30"});
    EXPECT_EQ(ee.status, 1);
    EXPECT_NE(ee.err.find("Ошибка записи в SEEPROM"), std::string::npos);
    CliRun bad = cli({"dump", "ram", "1", "1000"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
}
