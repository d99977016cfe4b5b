// Prints the time of a bus scan of nodes 01-20 (hex) against the simulator on a paced
// pseudo-terminal at 115200 bit/s, with nodes 01 (modules 10 and 22) and 03 present,
// beside its bound: a probe nobody answers costs the reply time limit plus the wire
// time of request and expected reply; a probe that is answered costs the wire time of
// request and reply.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <set>
#include <sstream>

#include "cli/ScanCommand.h"
#include "link/TimeLimits.h"
#include "bench/PacedSimulator.h"
#include "link/qt/LinkSession.h"
#include "sim/PtyServer.h"
#include "sim/SimConfig.h"

using namespace velmora;

namespace {

constexpr uint32_t kBaud = 115200;
constexpr size_t kRequestBytes = 7;  // node, command, two address bytes, count, CRC
constexpr size_t kDataReply = 8;     // node, command, three header bytes, one byte, CRC
constexpr size_t kErrorReply = 5;    // node, error code, a zero, CRC

double wireMs(size_t bytes) {
    return static_cast<double>(bytes) * 10 * 1000 / kBaud;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::PacedSimulator sim(kBaud);
    auto opened = sim.openSession();
    if (!opened) return 1;
    link::LinkSession& session = *opened;

    const system::NodeRange range{0x01, 0x20};
    double bound = 0;
    unsigned silent = 0, answered = 0;
    for (unsigned a = range.first; a <= range.last; ++a) {
        sim::SimNode* node = sim.network.node(static_cast<uint8_t>(a));
        if (!node) {
            bound += link::replyLimitMs(kBaud) + wireMs(kRequestBytes + kDataReply);
            ++silent;
            continue;
        }
        bound += wireMs(kRequestBytes + kDataReply);
        ++answered;
        for (unsigned s = 2; s <= 254; s += 2) {
            const bool present = node->subModule(static_cast<uint8_t>(s)) != nullptr;
            bound += wireMs(kRequestBytes + (present ? kDataReply : kErrorReply));
            ++answered;
        }
    }

    std::ostringstream out, progress;
    QElapsedTimer t;
    t.start();
    const int status = cli::runScanCommand({range}, session.engine(), out, progress);
    const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
    session.comm().close();

    std::string lines = out.str();
    for (char& c : lines)
        if (c == '\n') c = ' ';
    std::printf(
        "scan of nodes 01-20 at %u bit/s: %u silent and %u answered probes; found: %s(status "
        "%d)\n  measured %.1f ms, bound %.1f ms, ratio %.3f (target <= 1.05)\n",
        kBaud, silent, answered, lines.c_str(), status, ms, bound, ms / bound);
    return 0;
}
