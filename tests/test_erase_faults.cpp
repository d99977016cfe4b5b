// An erase that keeps part of a block, under line faults at both levels, judged by the
// simulated module's Flash rather than by the program: whatever a run reports, every
// byte outside the range holds what it held, or the failure names it and the file it
// saved gives its old value back.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <unistd.h>

#include "access/MemoryMap.h"
#include "firmware/FlashEraser.h"
#include "firmware/HexLoader.h"
#include "firmware/LostBytesFile.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora;
using namespace velmora::firmware;
using velmora::test::EngineRig;

namespace {

// 0x757F..0x7582 keeps 0x7540..0x757E of one block and 0x7583..0x75BF of the next.
constexpr EraseRange kRange{0x757F, 0x7582};

struct Level {
    uint8_t level, slave;
    uint16_t bottom;
};
constexpr Level kNode{1, 0x00, 0x2000};
constexpr Level kModule{2, 0x10, 0x4000};

// The built-in network with Flash around the range such that a byte one place off
// shows: no two neighbours alike, none 0xFF.
void loadNetwork(sim::ModuleNetwork& network) {
    std::string error;
    EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
    for (sim::SimModule* m : {&network.node(1)->module(), network.node(1)->subModule(0x10)})
        for (uint32_t a = 0x7500; a < 0x7600; ++a) m->flash[a] = static_cast<uint8_t>(a * 7 + 3);
}

sim::SimModule& memory(sim::ModuleNetwork& network, const Level& l) {
    return l.level == 2 ? *network.node(1)->subModule(0x10) : network.node(1)->module();
}

class EraseFaults : public ::testing::Test {
protected:
    EraseFaults() {
        loadNetwork(network);
        std::filesystem::create_directories(folder);
    }
    ~EraseFaults() override { std::filesystem::remove_all(folder); }

    static FirmwareTarget target(const Level& l) { return {1, l.slave, l.level, l.bottom}; }

    // The Flash image the saved file gives.
    static std::unique_ptr<FirmwareImages> fileImage(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        auto images = std::make_unique<FirmwareImages>();
        const std::string s = text.str();
        EXPECT_TRUE(loadHexText(s, 0, *images).ok()) << path;
        return images;
    }

    sim::ModuleNetwork network;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("velmora-erase-faults-" + std::to_string(::getpid()));
};

}  // namespace

TEST_F(EraseFaults, KeptBytesSurviveOrAreNamedAndSaved) {
    const double shares[] = {0.05, 0.2, 0.4};
    unsigned succeeded = 0, failed = 0;
    for (const Level& l : {kNode, kModule}) {
        for (double share : shares) {
            for (uint32_t seed = 1; seed <= 30; ++seed) {
                SCOPED_TRACE("level " + std::to_string(l.level) + ", " + std::to_string(share) +
                             ", seed " + std::to_string(seed));
                sim::ModuleNetwork net;
                loadNetwork(net);
                sim::SimModule& m = memory(net, l);
                const std::vector<uint8_t> before = m.flash;
                sim::FaultPlan plan;
                plan.random.share = share;
                plan.random.seed = seed;
                net.setFaults(plan);
                EngineRig rig{net};
                rig.log.on = false;
                ModuleLink link(rig.engine, target(l));
                const EraseResult r = eraseFlash(link, kRange, {});
                EXPECT_TRUE(rig.engine.isFree());
                (r.ok() ? succeeded : failed) += 1;

                std::set<uint32_t> named;
                for (const LostByte& b : r.lost) named.insert(b.address);
                for (uint32_t a = 0; a < before.size(); ++a) {
                    const bool inRange = a >= kRange.start && a <= kRange.end;
                    if (inRange) {
                        if (r.ok()) {
                            EXPECT_EQ(m.flash[a], 0xFF) << std::hex << a;
                        }
                    } else if (m.flash[a] != before[a]) {
                        EXPECT_TRUE(named.count(a)) << "changed and not named: " << std::hex << a;
                    }
                }
                if (r.lost.empty()) continue;
                EXPECT_FALSE(r.ok());
                std::string error;
                const auto path = saveLostBytes(r, target(l), folder.string(), error);
                ASSERT_TRUE(path) << error;
                const auto saved = fileImage(*path);
                for (const LostByte& b : r.lost) {
                    EXPECT_EQ(b.value, before[b.address]) << std::hex << b.address;
                    EXPECT_EQ(saved->FlashImage[b.address], before[b.address]) << std::hex << b.address;
                }
            }
        }
    }
    // Worth its runs only if the faults brought both outcomes.
    EXPECT_GT(succeeded, 0u);
    EXPECT_GT(failed, 0u);
}

TEST_F(EraseFaults, ALineLostAfterTheBlockEraseNamesTheKeptBytesAndSavesThem) {
    // The module erases block 0x7540, then the line goes: the kept 0x7540..0x757E are
    // FF in the module and can be put back from nowhere but the program.
    sim::SimModule& m = memory(network, kModule);
    const std::vector<uint8_t> before = m.flash;
    EngineRig rig{network};
    rig.line.delivery().loseReplyTo = [&](const std::vector<uint8_t>& f) {
        const bool eraseBlock = f[1] == 0x7B && f[3] == access::kRegFlashControl;
        if (eraseBlock) rig.line.setOpen(false);
        return eraseBlock;
    };
    ModuleLink link(rig.engine, target(kModule));
    const EraseResult r = eraseFlash(link, kRange, {});
    EXPECT_EQ(r.outcome, RunOutcome::Failed);
    EXPECT_EQ(r.address, 0x7540);
    ASSERT_EQ(r.lost.size(), 63u);
    for (const LostByte& b : r.lost) {
        EXPECT_EQ(m.flash[b.address], 0xFF);
        EXPECT_EQ(b.value, before[b.address]);
    }
    EXPECT_EQ(lostAddressText(r.lost), "7540-757E");

    std::string error;
    const auto path = saveLostBytes(r, target(kModule), folder.string(), error);
    ASSERT_TRUE(path) << error;
    EXPECT_EQ(*path, (folder / "velmora-lost-01-10-7540.hex").string());
    EXPECT_EQ(lostBytesMessage(r, path, error),
              "Не восстановлены байты 7540-757E; сохранены в файле " + *path);
    const auto saved = fileImage(*path);
    for (uint32_t a = 0x7540; a < 0x7580; ++a)
        EXPECT_EQ(saved->FlashImage[a], a < 0x757F ? before[a] : 0xFF) << std::hex << a;
    EXPECT_EQ(saved->FlashImage[0x7583], 0xFF);  // the next block was never reached
    // A second failure never writes over the first one's file.
    const auto second = saveLostBytes(r, target(kModule), folder.string(), error);
    ASSERT_TRUE(second) << error;
    EXPECT_EQ(*second, (folder / "velmora-lost-01-10-7540-2.hex").string());
}

TEST(LostBytes, AddressRunsAndTheMessageWithoutAFile) {
    struct Case {
        std::vector<uint16_t> addresses;
        const char* text;
    };
    const Case cases[] = {
        {{0x7540}, "7540"},
        {{0x7540, 0x7541, 0x7542, 0x7550}, "7540-7542, 7550"},
        {{0x757E, 0x7580, 0x7581}, "757E, 7580-7581"},
    };
    for (const Case& c : cases) {
        std::vector<LostByte> lost;
        for (uint16_t a : c.addresses) lost.push_back({a, 0});
        EXPECT_EQ(lostAddressText(lost), c.text);
    }
    EraseResult r;
    r.address = 0x2000;
    r.lost = {{0x2000, 0x12}, {0x2001, 0xAB}};
    EXPECT_EQ(lostBytesMessage(r, std::nullopt, "/x: No such file or directory"),
              "Не восстановлены байты 2000-2001 (12 AB); файл не записан: /x: No such file or directory");
    std::string error;
    EXPECT_FALSE(saveLostBytes(r, {1, 0, 1, 0x2000}, "/nonexistent-velmora-folder", error));
    EXPECT_NE(error.find("/nonexistent-velmora-folder/velmora-lost-01-2000.hex"), std::string::npos) << error;
}
