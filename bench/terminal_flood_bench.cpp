// The free terminal's window while a device floods text at 115200 bit/s for 10 s: the
// CPU share of the user-interface thread (target under 10 %), which receives the bytes,
// feeds the screen model and repaints it.

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "link/qt/TnrComm.h"
#include "bench/PacedSimulator.h"
#include "sim/SimConfig.h"
#include "tools/gui/TnrTerminal.h"

using namespace velmora;

namespace {

double threadCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    bench::SimulatorOnPty sim(115200, {});
    if (!sim.serving()) return 1;
    link::TnrComm comm;
    comm.setChoice({1, QString::fromStdString(sim.server->devicePath())});
    comm.setBaud(115200);
    if (!comm.open()) return 1;
    tools::TnrTerminal terminal;
    terminal.resize(terminal.sizeHint());
    terminal.show();
    comm.attachTerminal(&terminal, false);

    // 115200 bit/s at 10 bits a byte: 115 bytes every 10 ms, a line of text with colours.
    std::vector<uint8_t> chunk;
    const std::string line = "\x1b[32mOK\x1b[0m temperature=23.5 pressure=101.3 counter=123456\r";
    while (chunk.size() < 115) chunk.insert(chunk.end(), line.begin(), line.end());
    chunk.resize(115);
    QTimer flood;
    flood.setTimerType(Qt::PreciseTimer);
    QObject::connect(&flood, &QTimer::timeout, [&] { sim.server->sendUnsolicited(chunk); });
    flood.start(10);

    const double cpuBefore = threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(10000, &app, &QCoreApplication::quit);
    app.exec();
    const double cpu = threadCpuSeconds() - cpuBefore;
    const double seconds = static_cast<double>(wall.elapsed()) / 1000;
    flood.stop();
    comm.detachTerminal();
    sim.stop();
    std::printf("terminal window under a 115200 bit/s text flood for %.1f s: %.2f %% of a core "
                "on the user-interface thread (target < 10 %%)\n",
                seconds, 100 * cpu / seconds);
    return 0;
}
