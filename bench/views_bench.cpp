// Figures of the memory views: one RAM page refresh at the node (level 1) and at its i2c
// module (level 2) against the simulator pacing its line at 115200 bit/s, beside the
// time its frames take on the wire; and the CPU a window with "Авто" on at 1 s uses.

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/MemoryTabs.h"
#include "app/uVelmora.h"
#include "link/OperationKind.h"
#include "link/RequestFrame.h"
#include "link/qt/LinkSession.h"
#include "bench/PacedSimulator.h"
#include "sim/PtyServer.h"
#include "sim/SimConfig.h"
#include "views/MemoryReads.h"

using namespace velmora;

namespace {

constexpr uint32_t kBaud = 115200;

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Request and reply bytes of one transaction.
size_t exchangeBytes(uint8_t kind, uint16_t count) {
    link::Request args;
    args.node = 1;
    args.kind = kind;
    args.count = count;
    args.slave = 0x10;
    uint8_t data[256] = {};
    uint8_t tx[link::kFrameMax];
    link::RequestLayout layout;
    if (!link::buildRequest(args, 1, data, tx, layout)) return 0;
    return layout.requestLength + layout.expectedLength;
}

// The frames of one page read: level 1 two rdRAM halves; level 2 REG_PAGE read, page set,
// half, page set, half, REG_PAGE put back.
double wireMs(int level) {
    size_t bytes = 0;
    if (level == 1) {
        bytes = 2 * exchangeBytes(link::rdRAM, 128);
    } else {
        bytes = exchangeBytes(link::rdI2C, 1) + 3 * exchangeBytes(link::wrI2C, 1) +
                2 * exchangeBytes(link::rdI2C, 128);
    }
    return static_cast<double>(bytes) * 10 * 1000 / kBaud;
}

void pageRefresh(sim::PtyServer& server, int level, int rounds) {
    link::LinkSession session;
    session.setChoice({1, QString::fromStdString(server.devicePath())});
    session.comm().setBaud(kBaud);
    if (!session.openPort()) {
        std::printf("cannot open %s\n", server.devicePath().c_str());
        return;
    }
    const access::ModuleAddress t{1, static_cast<uint8_t>(level == 2 ? 0x10 : 0),
                                  static_cast<uint8_t>(level)};
    std::vector<double> ms;
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!views::readRAMPage(session.engine(), t, 0x100).complete()) ++failures;
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    session.comm().close();
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf(
        "RAM page refresh, level %d, %u bit/s: wire time %.2f ms; measured median %.2f ms "
        "(min %.2f, max %.2f), ratio %.3f (target <= 1.1), %d failed\n",
        level, kBaud, wireMs(level), median, ms.front(), ms.back(), median / wireMs(level),
        failures);
}

void autoRefreshCpu(sim::PtyServer& server, sim::ModuleNetwork& network) {
    QTemporaryDir dir;
    app::TerminalOptions options;
    options.settingsPath = dir.path() + "/velmora.ini";
    options.portOverride = link::PortChoice{1, QString::fromStdString(server.devicePath())};
    app::TFTerminal window(options);
    app::installMemoryTabs(window);
    window.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500) QApplication::processEvents(QEventLoop::AllEvents, 50);
    window.module().select(1, 0, 1);
    window.showMainPageQuietly(app::kModulePage);
    window.showModuleTabQuietly(app::kRamTab);
    window.pcMonChange();
    auto& p = window.pages();
    p.cbPapRAM->setCurrentIndex(1);
    emit p.cbPapRAM->activated(1);  // 1 s
    p.cbAutoApDateRAM->setChecked(true);
    const unsigned requestsBefore = [&] {
        auto lock = server.lockNetwork();
        return network.requestsSeen();
    }();
    const double before = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(10000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = cpuSeconds() - before;
    const double seconds = static_cast<double>(wall.elapsed()) / 1000;
    p.cbAutoApDateRAM->setChecked(false);
    // Two rdRAM requests a refresh at level 1.
    auto lock = server.lockNetwork();
    const unsigned refreshes = (network.requestsSeen() - requestsBefore) / 2;
    std::printf(
        "window with \"Авто\" at 1 s for %.1f s: %u page refreshes, CPU %.0f ms (%.2f %%)\n",
        seconds, refreshes, cpu * 1000, 100 * cpu / seconds);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    bench::PacedSimulator sim(kBaud);
    if (!sim.serving()) return 1;
    pageRefresh(*sim.server, 1, 40);
    pageRefresh(*sim.server, 2, 40);
    autoRefreshCpu(*sim.server, sim.network);
    sim.stop();
    return 0;
}
