// The bus scan's sweep on the simulated line with the fake clock: the probes it sends,
// the table it builds, and every way it ends.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "link/Crc16.h"
#include "link/ReplyCodes.h"
#include "system/ScanSweep.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora;
using namespace velmora::system;
using test::EngineRig;
using test::hexOf;

namespace {

struct Recorder : ScanListener {
    std::vector<std::string> events;
    std::function<void(uint8_t)> onNode, onModule;
    void probingNode(uint8_t cid) override {
        if (onNode) onNode(cid);
    }
    void probingModule(uint8_t slave) override {
        if (onModule) onModule(slave);
    }
    void nodeFound(size_t row, uint8_t cid) override {
        events.push_back("node " + std::to_string(row) + " " + std::to_string(cid));
    }
    void moduleFound(size_t row, size_t index, uint8_t slave) override {
        events.push_back("module " + std::to_string(row) + "." + std::to_string(index) + " " +
                         std::to_string(slave));
    }
};

struct ScanRig {
    sim::ModuleNetwork network;
    std::unique_ptr<EngineRig> rig;
    CurrentModule module;
    ScanState flags;
    Recorder recorder;

    EngineRig& link() {
        if (!rig) rig = std::make_unique<EngineRig>(network);
        return *rig;
    }
    ScanEnd run(NodeRange range = {}) {
        ScanSweep sweep(link().engine, module, flags, recorder, range);
        sweep.start();
        EXPECT_FALSE(link().engine.isFree());
        while (sweep.step()) {
        }
        EXPECT_TRUE(link().engine.isFree());
        EXPECT_FALSE(flags.ScanRunning);
        EXPECT_TRUE(flags.SystemIdle);
        return sweep.end();
    }
    const std::vector<std::vector<uint8_t>>& sent() { return link().line.sent(); }
};

}  // namespace

TEST(ScanSweep, NoNodeAnswers) {
    ScanRig s;
    const uint64_t begin = s.link().line.clock().now;
    EXPECT_EQ(s.run(), ScanEnd::Complete);
    ASSERT_EQ(s.sent().size(), 255u);
    EXPECT_EQ(hexOf(s.sent().front()), "01 70 00 00 01 C2 C0");
    EXPECT_EQ(hexOf(s.sent().back()), "FF 70 00 00 01 EB 14");
    EXPECT_EQ(s.module.nodeCount(), 0u);
    EXPECT_EQ(s.module.CurrentCID, 1);
    EXPECT_EQ(s.module.CurrentSlaveAdr, 0);
    // One attempt each: 16 bytes on the wire (2 ms at 115200) and the 200 ms limit.
    const uint64_t spent = s.link().line.clock().now - begin;
    EXPECT_GE(spent, 255u * 202);
    EXPECT_LE(spent, 255u * 204);
}

TEST(ScanSweep, NodesThreeAndTenWithModuleTwenty) {
    ScanRig s;
    s.network.addNode(0x03);
    s.network.addNode(0x10).addSubModule(0x20);
    s.module.SelectionLevel = kModuleSelected;
    EXPECT_EQ(s.run(), ScanEnd::Complete);
    // 255 node probes and 127 module probes behind each of the two nodes.
    ASSERT_EQ(s.sent().size(), 255u + 2 * 127);
    const struct {
        size_t index;
        const char* frame;
    } probes[] = {
        {0, "01 70 00 00 01 C2 C0"},   {2, "03 70 00 00 01 BB 00"},   {3, "03 7A 02 00 01 19 18"},
        {130, "04 70 00 00 01 0E C0"}, {142, "10 70 00 00 01 3E C3"}, {158, "10 7A 20 00 01 3C D1"},
        {269, "10 7A FE 00 01 5C EB"}, {508, "FF 70 00 00 01 EB 14"},
    };
    for (const auto& p : probes) EXPECT_EQ(hexOf(s.sent()[p.index]), p.frame) << p.index;
    EXPECT_EQ(s.recorder.events,
              (std::vector<std::string>{"node 0 3", "node 1 16", "module 1.0 32"}));
    EXPECT_EQ(s.module.nodeCount(), 2u);
    EXPECT_EQ(s.module.SystemTable[0].moduleCount, 0);
    EXPECT_EQ(s.module.SystemTable[1].moduleCount, 1);
    EXPECT_EQ(s.module.SystemTable[1].modules[0], 0x20);
    // The first node found becomes current, as the node itself.
    EXPECT_EQ(s.module.CurrentCID, 0x03);
    EXPECT_EQ(s.module.CurrentSlaveAdr, 0);
    EXPECT_EQ(s.module.SelectionLevel, kNodeSelected);
}

TEST(ScanSweep, EarlierTableIsEmptiedWhole) {
    ScanRig s;
    s.network.addNode(0x07);
    for (size_t k = 0; k < 5; ++k) {
        s.module.SystemTable[k].cid = static_cast<uint8_t>(0x40 + k);
        s.module.SystemTable[k].moduleCount = 1;
        s.module.SystemTable[k].modules[0] = 0x30;
    }
    s.run({1, 0x10});
    EXPECT_EQ(s.module.nodeCount(), 1u);
    EXPECT_EQ(s.module.SystemTable[0].cid, 0x07);
    EXPECT_EQ(s.module.SystemTable[0].moduleCount, 0);
}

TEST(ScanSweep, StopDuringModuleSweepKeepsWhatWasFound) {
    ScanRig s;
    s.network.addNode(0x10).addSubModule(0x04);
    s.network.node(0x10)->addSubModule(0x40);
    // "Отмена" pressed while the probe of 0x10 waits for its answer.
    s.recorder.onModule = [&](uint8_t slave) {
        if (slave == 0x10) s.flags.ScanRunning = false;
    };
    EXPECT_EQ(s.run(), ScanEnd::Stopped);
    EXPECT_EQ(hexOf(s.sent().back()).substr(0, 8), "10 7A 10");
    EXPECT_EQ(s.module.SystemTable[0].moduleCount, 1);
    EXPECT_EQ(s.module.SystemTable[0].modules[0], 0x04);
    EXPECT_EQ(s.module.CurrentCID, 0x10);
    EXPECT_EQ(s.module.CurrentSlaveAdr, 0x10);
}

TEST(ScanSweep, TreeSelectionDuringAProbeIsLeftAlone) {
    struct Case {
        uint8_t clickedDuring;  // the node whose probe the click interrupts
        size_t framesSent;
    } cases[] = {
        {0x05, 5},   // an absent node: the sweep ends after its probe
        {0x10, 16},  // a node that answers: not one of its modules is probed
    };
    for (const Case& c : cases) {
        ScanRig s;
        s.network.addNode(0x10).addSubModule(0x20);
        s.recorder.onNode = [&](uint8_t cid) {
            if (cid != c.clickedDuring) return;
            s.module.select(0x33, 0x44, kModuleSelected);
            s.flags.ScanRunning = false;
        };
        EXPECT_EQ(s.run(), ScanEnd::Stopped);
        EXPECT_EQ(s.sent().size(), c.framesSent);
        EXPECT_EQ(s.module.CurrentCID, 0x33);
        EXPECT_EQ(s.module.CurrentSlaveAdr, 0x44);
        EXPECT_EQ(s.module.SelectionLevel, kModuleSelected);
    }
}

TEST(ScanSweep, ThirtyThirdModuleStopsTheScan) {
    ScanRig s;
    for (int slave = 2; slave <= 66; slave += 2)
        s.network.addNode(0x01).addSubModule(static_cast<uint8_t>(slave));
    EXPECT_EQ(s.run(), ScanEnd::ModuleLimit);
    const NodeRow& row = s.module.SystemTable[0];
    EXPECT_EQ(row.moduleCount, 32);
    EXPECT_EQ(row.modules[0], 0x02);
    EXPECT_EQ(row.modules[31], 0x40);
    // The 33rd (0x42) was asked for, and nothing after it.
    EXPECT_EQ(hexOf(s.sent().back()).substr(0, 8), "01 7A 42");
    EXPECT_EQ(s.sent().size(), 1u + 33);
}

TEST(ScanSweep, ThirtyThirdNodeStopsTheScan) {
    ScanRig s;
    for (int cid = 1; cid <= 33; ++cid) s.network.addNode(static_cast<uint8_t>(cid));
    EXPECT_EQ(s.run(), ScanEnd::NodeLimit);
    EXPECT_EQ(s.module.nodeCount(), 32u);
    EXPECT_EQ(s.module.SystemTable[31].cid, 0x20);
    // Node 0x21 answered and had no module probed.
    EXPECT_EQ(hexOf(s.sent().back()).substr(0, 5), "21 70");
    EXPECT_EQ(s.sent().size(), 33u + 32 * 127);
}

TEST(ScanSweep, PortLostMidScanEndsTheSweepNormally) {
    ScanRig s;
    s.network.addNode(0x01);
    s.network.addNode(0x05);
    s.recorder.onNode = [&](uint8_t cid) {
        if (cid == 0x03) s.link().state.PortLost = true;
    };
    EXPECT_EQ(s.run(), ScanEnd::Complete);
    // Node 1 and its modules, node 2; node 3 failed at once without a frame.
    EXPECT_EQ(s.sent().size(), 1u + 127 + 1);
    EXPECT_EQ(s.module.nodeCount(), 1u);
    EXPECT_EQ(s.module.CurrentCID, 0x01);
}

TEST(ScanSweep, HoldsTheLinkAgainstDispatchedRequests) {
    ScanRig s;
    uint16_t intruder = 0;
    EngineRig& rig = s.link();
    rig.line.at(rig.line.clock().now + 50, [&] {
        intruder = rig.engine.transact({0x01, 3, 0, 1, 0, 1}, {}, {}).code;
    });
    s.run({1, 2});
    EXPECT_EQ(intruder, link::kResultLinkBusy);
    EXPECT_EQ(s.sent().size(), 2u);
}

// Under spoilt, cut and late replies every node and module is found, each once (an
// address is probed three times at most, so at a fifth of the replies faulted one may be
// missed); with dropped replies too, which look like absence, nothing is found that is
// not there.
TEST(ScanSweep, FaultsNeitherHideNorInventNodesOrModules) {
    const std::map<uint8_t, std::vector<uint8_t>> truth{{0x01, {0x10, 0x12}}, {0x02, {}}, {0x04, {0xFE}}};
    struct Case {
        unsigned dropWeight;
        double share;
        bool all;
    } cases[] = {{0, 0.05, true}, {0, 0.2, false}, {1, 0.2, false}};
    for (const Case& c : cases) {
        for (uint32_t seed = 1; seed <= 16; ++seed) {
            ScanRig s;
            for (const auto& [cid, slaves] : truth) {
                sim::SimNode& node = s.network.addNode(cid);
                for (uint8_t slave : slaves) node.addSubModule(slave);
            }
            sim::FaultPlan plan;
            plan.random.share = c.share;
            plan.random.seed = seed;
            plan.random.dropWeight = c.dropWeight;
            s.network.setFaults(plan);
            EXPECT_EQ(s.run({1, 6}), ScanEnd::Complete);
            std::map<uint8_t, std::vector<uint8_t>> found;
            for (size_t row = 0; row < s.module.nodeCount(); ++row) {
                const NodeRow& r = s.module.SystemTable[row];
                EXPECT_FALSE(found.count(r.cid)) << "listed twice: " << int(r.cid) << ", seed " << seed;
                auto& slaves = found[r.cid];
                slaves.assign(r.modules.begin(), r.modules.begin() + r.moduleCount);
                std::sort(slaves.begin(), slaves.end());
            }
            for (const auto& [cid, slaves] : found) {
                ASSERT_TRUE(truth.count(cid)) << "phantom node " << int(cid) << ", seed " << seed;
                for (uint8_t slave : slaves)
                    EXPECT_TRUE(std::count(truth.at(cid).begin(), truth.at(cid).end(), slave))
                        << "phantom module " << int(slave) << ", seed " << seed;
                EXPECT_EQ(std::set<uint8_t>(slaves.begin(), slaves.end()).size(), slaves.size());
            }
            if (c.all) EXPECT_EQ(found, truth) << "seed " << seed;
        }
    }
}

// A node's first answer comes late, after its probe gave up: the node in the middle of the
// range is seen answering while the next nodes are probed, the last one by the wait at
// the end of the sweep; both are probed again and listed, each node probed three times at
// the most and no node listed that is not there.
TEST(ScanSweep, NodesThatAnswerLateAreProbedAgainAndFound) {
    ScanRig s;
    for (uint8_t cid : {0x02, 0x03, 0x04}) s.network.addNode(cid);
    EngineRig& rig = s.link();
    std::set<uint8_t> lateOnce{0x03, 0x04};
    rig.line.delivery().loseReplyTo = [&](const std::vector<uint8_t>& request) {
        if (request[1] != 0x70 || !lateOnce.erase(request[0])) return false;
        // The answer, 300 ms on: past the 202 ms the probe waits at 115200 bit/s.
        std::vector<uint8_t> reply{request[0], 0x70, 0x00, 0x00, 0x01,
                                   s.network.node(request[0])->module().ram[0], 0, 0};
        link::appendCrc(reply.data(), reply.size() - 2);
        rig.line.inject(rig.line.clock().now + 300, reply);
        return true;
    };
    EXPECT_EQ(s.run({1, 4}), ScanEnd::Complete);
    std::set<uint8_t> listed;
    for (size_t row = 0; row < s.module.nodeCount(); ++row) listed.insert(s.module.SystemTable[row].cid);
    EXPECT_EQ(listed, (std::set<uint8_t>{0x02, 0x03, 0x04}));
    std::map<uint8_t, int> probes;
    for (const auto& f : s.sent())
        if (f[1] == 0x70) ++probes[f[0]];
    EXPECT_EQ(probes, (std::map<uint8_t, int>{{0x01, 1}, {0x02, 1}, {0x03, 2}, {0x04, 2}}));
    EXPECT_EQ(s.module.CurrentCID, 0x02);
}
