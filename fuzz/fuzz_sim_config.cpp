// The simulated network's description text, as typed by a person: any text at all must
// either load or be refused with the line it failed on.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "sim/ModuleNetwork.h"
#include "sim/SimConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    velmora::sim::ModuleNetwork network;
    std::string error;
    const bool loaded = velmora::sim::loadConfig(text, network, error);
    if (!loaded && error.rfind("line ", 0) != 0) {
        std::fprintf(stderr, "fuzz_sim_config: refusal without its line: '%s'\n", error.c_str());
        std::abort();
    }
    if (loaded) {
        for (const auto& [address, node] : network.nodes()) {
            if (address == 0 || node.subModules().size() > 32) {
                std::fprintf(stderr, "fuzz_sim_config: node %02X accepted as loaded\n", address);
                std::abort();
            }
        }
    }
    return 0;
}
