// velmora-sim: the simulated module network on a pseudo-terminal.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "sim/ModuleNetwork.h"
#include "sim/PtyServer.h"
#include "sim/SimConfig.h"

namespace {

std::atomic<bool> g_stop{false};
velmora::sim::PtyServer* g_server = nullptr;

void onSignal(int sig) {
    if (sig == SIGUSR1 && g_server)
        g_server->requestUnplug();
    else if (sig == SIGUSR2 && g_server)
        g_server->requestPlug();
    else
        g_stop = true;
}

void usage() {
    std::fputs(
        "usage: velmora-sim [options]\n"
        "  --config FILE        network description (default: the built-in network)\n"
        "  --print-config       print the built-in network description and exit\n"
        "  --link PATH          keep a stable link PATH to the pseudo-terminal\n"
        "  --baud N             pace replies at N bit/s, 10 bits a byte (default: no pacing)\n"
        "  --drop N             drop every N-th reply\n"
        "  --corrupt N          spoil the CRC of every N-th reply\n"
        "  --late MS            answer every request MS milliseconds late\n"
        "  --stray N            send N junk bytes after every reply\n"
        "  --hangup-after N     hang up (unplug) after N requests\n"
        "  --replug-after MS    plug in again MS milliseconds after a hang-up\n"
        "Signals: SIGUSR1 unplugs, SIGUSR2 plugs in again, SIGINT/SIGTERM end.\n",
        stderr);
}

bool number(const char* text, unsigned long& out) {
    char* end = nullptr;
    out = std::strtoul(text, &end, 10);
    return end && *end == '\0' && *text != '\0';
}

}  // namespace

int main(int argc, char** argv) {
    using namespace velmora::sim;
    std::string configText(defaultConfig());
    PtyOptions options;
    FaultPlan faults;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        unsigned long n = 0;
        if (arg == "--help" || arg == "-h") {
            usage();
            return 0;
        } else if (arg == "--print-config") {
            std::fputs(configText.c_str(), stdout);
            return 0;
        } else if (arg == "--config") {
            const char* path = value();
            std::ifstream in(path ? path : "");
            if (!in) {
                std::fprintf(stderr, "velmora-sim: cannot read %s\n", path ? path : "(none)");
                return 2;
            }
            std::stringstream ss;
            ss << in.rdbuf();
            configText = ss.str();
        } else if (arg == "--link") {
            const char* path = value();
            if (!path) return usage(), 2;
            options.linkPath = path;
        } else {
            const char* v = value();
            if (!v || !number(v, n)) {
                usage();
                return 2;
            }
            if (arg == "--baud")
                options.paceBaud = static_cast<uint32_t>(n);
            else if (arg == "--drop")
                faults.dropEvery = static_cast<unsigned>(n);
            else if (arg == "--corrupt")
                faults.corruptEvery = static_cast<unsigned>(n);
            else if (arg == "--late")
                faults.lateMs = static_cast<uint32_t>(n);
            else if (arg == "--stray")
                faults.strayBytes = static_cast<unsigned>(n);
            else if (arg == "--hangup-after")
                faults.hangupAfter = static_cast<unsigned>(n);
            else if (arg == "--replug-after")
                options.replugAfterMs = static_cast<uint32_t>(n);
            else {
                usage();
                return 2;
            }
        }
    }

    ModuleNetwork network;
    std::string error;
    if (!loadConfig(configText, network, error)) {
        std::fprintf(stderr, "velmora-sim: config %s\n", error.c_str());
        return 2;
    }
    network.setFaults(faults);
    PtyServer server(network, options);
    if (!server.open(error)) {
        std::fprintf(stderr, "velmora-sim: %s\n", error.c_str());
        return 1;
    }
    g_server = &server;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2}) sigaction(sig, &sa, nullptr);

    std::printf("%s\n", server.devicePath().c_str());
    if (!options.linkPath.empty()) std::printf("%s\n", options.linkPath.c_str());
    std::fflush(stdout);
    server.run(g_stop);
    return 0;
}
