// Prints the link's figures: round trips over a pseudo-terminal, the CPU cost of an
// unanswered wait, the CLI's peak memory, and how closely the simulator's paced line
// keeps to the wire time.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "link/OperationKind.h"
#include "link/RequestFrame.h"
#include "link/TransactionEngine.h"
#include "link/qt/QtEventPump.h"
#include "link/qt/LinkSession.h"
#include "bench/PacedSimulator.h"

using namespace velmora;

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long cliPeakKb(const std::string& device) {
    pid_t pid = fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execl(VELMORA_CLI_PATH, "velmora-cli", "--port", device.c_str(), "trans", "1", "rdRAM", "0",
              "80", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage u{};
    wait4(pid, &status, 0, &u);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return u.ru_maxrss;
}

// Bytes on the line for one rdRAM of `count` bytes: the request and its reply.
size_t exchangeBytes(uint16_t count) {
    link::Request args;
    args.node = 1;
    args.kind = link::rdRAM;
    args.count = count;
    uint8_t tx[link::kFrameMax];
    link::RequestLayout layout;
    if (!link::buildRequest(args, 1, nullptr, tx, layout)) return 0;
    return layout.requestLength + layout.expectedLength;
}

// A 128-byte rdRAM through an in-process simulator that paces its line at `baud`,
// against the time request and reply take on the wire at 10 bits a byte.
void printPacedExchange(uint32_t baud, int rounds) {
    bench::PacedSimulator sim(baud);
    std::unique_ptr<link::LinkSession> session = sim.openSession();
    if (!session) {
        std::printf("paced rdRAM at %u bit/s: no simulator to measure against\n", baud);
        return;
    }
    link::TnrComm& comm = session->comm();
    link::TransactionEngine& engine = session->engine();

    std::vector<double> ms;
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        uint8_t data[128];
        if (!engine.transact({1, link::rdRAM, 0, 128, 0, 1}, {}, data).ok()) ++failures;
        ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    comm.close();
    sim.stop();
    std::sort(ms.begin(), ms.end());
    const size_t bytes = exchangeBytes(128);
    const double wireMs = static_cast<double>(bytes) * 10 * 1000 / baud;
    const double median = ms[ms.size() / 2];
    std::printf(
        "paced rdRAM 128 bytes at %u bit/s: %zu bytes on the wire = %.3f ms; measured median "
        "%.3f ms (min %.3f, max %.3f), ratio %.3f (target 1.00..1.05), %d failed\n",
        baud, bytes, wireMs, median, ms.front(), ms.back(), median / wireMs, failures);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::SimulatorOnPty sim(115200, {});
    std::unique_ptr<link::LinkSession> session = sim.openSession();
    if (!session) return 1;
    link::TnrComm& comm = session->comm();
    link::TransactionEngine& engine = session->engine();

    const int rounds = 500;
    std::vector<double> latencies;
    QElapsedTimer total;
    total.start();
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        uint8_t data[128];
        if (!engine.transact({1, link::rdRAM, 0, 128, 0, 1}, {}, data).ok()) ++failures;
        latencies.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    double seconds = static_cast<double>(total.nsecsElapsed()) / 1e9;
    std::sort(latencies.begin(), latencies.end());
    std::printf(
        "rdRAM 128 bytes over a pty: %.0f round trips/s, median %.3f ms, p99 %.3f ms, "
        "%d failed\n",
        rounds / seconds, latencies[latencies.size() / 2], latencies[latencies.size() * 99 / 100],
        failures);

    comm.setBaud(9600);  // 600 ms limit; node 9 is absent
    double cpuBefore = cpuSeconds();
    QElapsedTimer wait;
    wait.start();
    engine.transact({9, link::rdRAM, 0, 1, 0, 1}, {}, {});
    double waited = static_cast<double>(wait.elapsed()) / 1000.0;
    double cpu = cpuSeconds() - cpuBefore;
    std::printf("unanswered wait: %.0f ms, CPU %.1f ms (%.2f %% of the wait; target < 2 %%)\n",
                waited * 1000, cpu * 1000, 100.0 * cpu / waited);

    comm.close();
    long kb = cliPeakKb(sim.server->devicePath());
    std::printf("velmora-cli peak memory (one 128-byte read): %ld KiB\n", kb);
    session.reset();
    sim.stop();

    printPacedExchange(9600, 15);
    printPacedExchange(115200, 60);
    return 0;
}
