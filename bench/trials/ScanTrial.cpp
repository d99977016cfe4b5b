#include "bench/trials/ScanTrial.h"

#include <map>
#include <set>
#include <string>

#include "common/HexText.h"
#include "sim/SimConfig.h"
#include "system/CurrentModule.h"
#include "system/ScanState.h"
#include "system/ScanSweep.h"

namespace velmora::sim {

namespace {

// The built-in network and a third node whose modules sit at the ends of the i2c range.
constexpr std::string_view kScanNodes = R"(
node 04
i2c 02
i2c FE
)";

// What the scan lists, in the order it lists it, as the command's printer sees it.
struct Listing : system::ScanListener {
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> nodes;
    void nodeFound(size_t, uint8_t cid) override { nodes.push_back({cid, {}}); }
    void moduleFound(size_t, size_t, uint8_t slave) override {
        if (!nodes.empty()) nodes.back().second.push_back(slave);
    }
};

}  // namespace

ScanTrial runScanTrial(const TrialSetup& setup) {
    TrialLine line(setup, std::string(defaultConfig()) + std::string(kScanNodes));
    std::map<uint8_t, std::set<uint8_t>> present;
    for (const auto& [cid, node] : line.network.nodes()) {
        if (cid < kScanFirstNode || cid > kScanLastNode) continue;
        for (const auto& [slave, module] : node.subModules()) present[cid].insert(slave);
        present[cid];
    }

    // As `scan` does: the sweep stepped to its end.
    system::CurrentModule module;
    system::ScanState flags;
    Listing listing;
    system::ScanSweep sweep(line.rig.engine, module, flags, listing,
                            {kScanFirstNode, kScanLastNode});
    sweep.start();
    while (sweep.step()) {
    }

    ScanTrial t;
    t.reportedOk = sweep.end() == system::ScanEnd::Complete;
    std::map<uint8_t, std::set<uint8_t>> listed;
    for (const auto& [cid, slaves] : listing.nodes) {
        const auto there = present.find(cid);
        const bool again = listed.count(cid) > 0;
        std::set<uint8_t>& mine = listed[cid];
        if (there == present.end() || again) {
            t.phantom += 1 + static_cast<unsigned>(slaves.size());
            if (t.wrong.empty())
                t.wrong = "node " + hexNumber(cid, 2) + (again ? " listed twice" : " listed, not there");
            continue;
        }
        for (uint8_t slave : slaves) {
            if (there->second.count(slave) && mine.insert(slave).second) continue;
            ++t.phantom;
            if (t.wrong.empty())
                t.wrong = "module " + hexNumber(slave, 2) + " behind " + hexNumber(cid, 2) +
                          " listed, not there";
        }
    }
    for (const auto& [cid, slaves] : present) {
        const auto seen = listed.find(cid);
        if (seen == listed.end()) {
            t.missing += 1 + static_cast<unsigned>(slaves.size());
            continue;
        }
        for (uint8_t slave : slaves) t.missing += seen->second.count(slave) ? 0 : 1;
    }
    line.finish(t, t.phantom == 0);
    return t;
}

}  // namespace velmora::sim
