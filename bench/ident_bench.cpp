// Prints the time of one identifier read at 115200 bit/s against a simulator that paces
// its line, at level 1 (the node's own command) and at level 2 (an i2c module through
// its node's RAM window), beside the time its frames take on the wire.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "access/MemoryMap.h"
#include "bench/PacedSimulator.h"
#include "link/OperationKind.h"
#include "link/RequestFrame.h"
#include "link/qt/LinkSession.h"
#include "sim/PtyServer.h"
#include "sim/SimConfig.h"
#include "system/IdentReader.h"

using namespace velmora;

namespace {

constexpr uint32_t kBaud = 115200;

size_t exchangeBytes(uint8_t kind, uint16_t address, uint16_t count) {
    link::Request args;
    args.node = 1;
    args.kind = kind;
    args.address = address;
    args.count = count;
    args.slave = 0x10;
    uint8_t tx[link::kFrameMax];
    uint8_t data[link::kFrameMax] = {};
    link::RequestLayout layout;
    if (!link::buildRequest(args, 1, data, tx, layout)) return 0;
    return layout.requestLength + layout.expectedLength;
}

// The frames of one successful read at each level.
size_t readBytes(uint8_t level) {
    if (level == 1) return exchangeBytes(link::rdID, 0, 0);
    const size_t page = exchangeBytes(link::wrI2C, access::kRegPage, 1);
    return exchangeBytes(link::rdI2C, access::kRegPage, 1) +
           2 * (page + exchangeBytes(link::rdI2C, access::kWindowStart, 128)) + page;
}

void measure(link::TransactionEngine& engine, uint8_t level, int rounds) {
    std::vector<double> ms;
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        if (!system::readIdent(engine, nullptr,
                               {1, static_cast<uint8_t>(level == 2 ? 0x10 : 0), level})
                 .ok)
            ++failures;
        ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    const size_t bytes = readBytes(level);
    const double wireMs = static_cast<double>(bytes) * 10 * 1000 / kBaud;
    const double median = ms[ms.size() / 2];
    std::printf(
        "identifier read, level %u, at %u bit/s: %zu bytes on the wire = %.2f ms; measured "
        "median %.2f ms (min %.2f, max %.2f), ratio %.3f (target within 1.1), %d failed\n",
        level, kBaud, bytes, wireMs, median, ms.front(), ms.back(), median / wireMs, failures);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::PacedSimulator sim(kBaud);
    auto opened = sim.openSession();
    if (!opened) return 1;
    link::LinkSession& session = *opened;
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    measure(session.engine(), 1, rounds);
    measure(session.engine(), 2, rounds);
    session.comm().close();
    return 0;
}
