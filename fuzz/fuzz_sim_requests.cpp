// Request bytes arriving at the simulated network in any chunks, at any times. Input:
// faults (1 byte: bit 0 drops every 3rd reply, bit 1 makes replies late), then chunks
// as fuzz/ChunkScript.h describes, sealing making well-formed requests easy to reach.
//
// Every reply must be a whole frame from a node that exists: 5..256 bytes, a good CRC.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/ChunkScript.h"
#include "fuzz/FuzzInput.h"
#include "link/Crc16.h"
#include "sim/ModuleNetwork.h"
#include "sim/SimConfig.h"

using namespace velmora;

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_sim_requests: %s\n", what);
    std::abort();
}

// The built-in network, read once: every input starts from a copy of it.
const sim::ModuleNetwork& builtInNetwork() {
    static const sim::ModuleNetwork network = [] {
        sim::ModuleNetwork n;
        std::string error;
        if (!sim::loadConfig(sim::defaultConfig(), n, error)) fault("built-in network refused");
        return n;
    }();
    return network;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput in(data, size);
    sim::ModuleNetwork network = builtInNetwork();
    const uint8_t faults = in.byte();
    sim::FaultPlan plan;
    plan.dropEvery = (faults & 1) ? 3 : 0;
    plan.lateMs = (faults & 2) ? 40 : 0;
    network.setFaults(plan);

    const uint64_t start = 1000;
    for (const fuzz::ScriptedChunk& chunk : fuzz::readChunkScript(in)) {
        auto replies = network.feed(chunk.bytes.data(), chunk.bytes.size(), start + chunk.afterMs);
        for (const sim::Reply& r : replies) {
            if (r.bytes.size() < 5 || r.bytes.size() > 256) fault("reply of impossible length");
            if (!link::frameCrcOk(r.bytes.data(), r.bytes.size())) fault("reply with a bad CRC");
            if (r.bytes[0] == 0 || !network.node(r.bytes[0])) fault("reply from a node not there");
        }
    }
    return 0;
}
