// velmora-sim: the simulated module network on a pseudo-terminal.
// Exit status: 0 after a signal to end, 2 for a bad command line or network
// description, 1 when the pseudo-terminal cannot be made.

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "sim/ModuleNetwork.h"
#include "sim/PtyServer.h"
#include "sim/SimCommandLine.h"
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
        "  --log-requests FILE  append what the terminal sends to FILE, a frame a line in hex\n"
        "  --baud N             pace replies at N bit/s, 10 bits a byte (default: no pacing)\n"
        "  --drop N             drop every N-th reply\n"
        "  --corrupt N          spoil the CRC of every N-th reply\n"
        "  --late MS            answer every request MS milliseconds late\n"
        "  --stray N            send N junk bytes after every reply\n"
        "  --hangup-after N     hang up (unplug) after N requests\n"
        "  --replug-after MS    plug in again MS milliseconds after a hang-up\n"
        "  --fault-percent N    spoil N % of the replies at random: dropped, bad CRC, cut\n"
        "                       short, or later than a terminal at the --baud speed (115200\n"
        "                       without it) waits (default: 0)\n"
        "  --fault-seed N       seed of those faults, for a run that can be repeated (default: 1)\n"
        "  --no-echo            fill reply bytes 2..4 with other values than the request's\n"
        "  --moving-ram         RAM 060..063 of every node move: 060 counts seconds, 061..062\n"
        "                       (low byte first) rise to 1000 and fall in 40 s, 063 swings\n"
        "                       about 128 by 100 every 20 s\n"
        "Signals: SIGUSR1 unplugs, SIGUSR2 plugs in again, SIGINT/SIGTERM end.\n",
        stderr);
}

constexpr int kBadCommandLine = 2;
constexpr int kCannotServe = 1;

}  // namespace

int main(int argc, char** argv) {
    using namespace velmora::sim;
    std::vector<std::string_view> args(argv + 1, argv + argc);
    SimCommandLine command;
    std::string error;
    if (!parseSimCommandLine(args, command, error)) {
        std::fprintf(stderr, "velmora-sim: %s\n", error.c_str());
        return kBadCommandLine;
    }
    if (command.action == SimCommandLine::Action::Help) {
        usage();
        return 0;
    }
    if (command.action == SimCommandLine::Action::PrintConfig) {
        std::fputs(command.configText.c_str(), stdout);
        return 0;
    }

    ModuleNetwork network;
    if (!loadConfig(command.configText, network, error)) {
        std::fprintf(stderr, "velmora-sim: config %s\n", error.c_str());
        return kBadCommandLine;
    }
    network.setFaults(command.faults);
    network.setMovingRam(command.movingRam);
    PtyServer server(network, command.options);
    if (!server.open(error)) {
        std::fprintf(stderr, "velmora-sim: %s\n", error.c_str());
        return kCannotServe;
    }
    g_server = &server;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2}) sigaction(sig, &sa, nullptr);

    std::printf("%s\n", server.devicePath().c_str());
    if (!command.options.linkPath.empty()) std::printf("%s\n", command.options.linkPath.c_str());
    std::fflush(stdout);
    server.run(g_stop);
    return 0;
}
