// The protocol log's figures: the time to append one line (each in its own pass of the
// event loop, shown and painted, as the engine writes them) on an empty log and on one of
// 200,000 lines; and the time a burst of 10,000 engine lines takes to reach the screen
// of the main window shown offscreen.

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <string>

#include "app/uVelmora.h"
#include "console/gui/ProtocolLogPane.h"
#include "bench/PacedSimulator.h"
#include "sim/SimConfig.h"

using namespace velmora;

namespace {

const std::string kLine = "Send>01 70 00 50 80 3F 27 ";

// CPU seconds of this thread: the machine may be shared, and wall time then says more
// about the neighbours than about the log.
double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Cost {
    double wallUs;
    double cpuUs;
};

void settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// Microseconds per line for `lines` lines, each followed by a pass of the event loop.
// `eachOnScreen`: every line is put into the document and painted before the next comes
// (the dearest case, a line a frame); otherwise the log gathers them as it does, and the
// last lines are put in and painted at the end.
Cost perLine(console::ProtocolLogPane& log, int lines, bool eachOnScreen) {
    QElapsedTimer t;
    t.start();
    const double cpu0 = cpuSeconds();
    for (int i = 0; i < lines; ++i) {
        log.appendLine(kLine, link::kRequestColour);
        if (eachOnScreen) log.flush();
        QCoreApplication::processEvents();
    }
    log.flush();
    settle();
    return {static_cast<double>(t.nsecsElapsed()) / 1000.0 / lines,
            (cpuSeconds() - cpu0) * 1e6 / lines};
}

void growthFigures() {
    console::ProtocolLogPane log;
    log.resize(480, 400);
    log.show();
    settle();
    constexpr int kSample = 2000;
    perLine(log, 200, true);  // warm-up: fonts, first layout
    log.clearLog();
    const Cost early = perLine(log, kSample, true);
    const Cost earlyGathered = perLine(log, kSample, false);
    while (log.lineCount() < 200000) {
        for (int i = 0; i < 10000; ++i) log.appendLine(kLine, link::kReplyColour);
        log.flush();
    }
    settle();
    const int before = log.lineCount();
    const Cost late = perLine(log, kSample, true);
    const Cost lateGathered = perLine(log, kSample, false);
    std::printf("protocol log shown, each line put in and painted before the next:\n"
                "  at start:            %8.1f us a line (CPU %7.1f us)\n"
                "  after %d lines: %8.1f us a line (CPU %7.1f us)\n"
                "  ratio:               %8.2f (CPU %.2f)\n",
                early.wallUs, early.cpuUs, before, late.wallUs, late.cpuUs,
                late.wallUs / early.wallUs, late.cpuUs / early.cpuUs);
    std::printf("protocol log shown, lines gathered as the log does (a line a pass):\n"
                "  at start:            %8.1f us a line (CPU %7.1f us)\n"
                "  after %d lines: %8.1f us a line (CPU %7.1f us)\n",
                earlyGathered.wallUs, earlyGathered.cpuUs, before, lateGathered.wallUs,
                lateGathered.cpuUs);
}

int burstFigure() {
    QTemporaryDir dir;
    sim::PtyOptions ptyOptions;
    ptyOptions.linkPath = (dir.path() + "/adapter").toStdString();
    bench::SimulatorOnPty sim(115200, ptyOptions);
    if (!sim.serving()) return 1;
    app::TerminalOptions options;
    options.settingsPath = dir.path() + "/velmora.ini";
    options.portOverride = link::PortChoice{1, QString::fromStdString(ptyOptions.linkPath)};
    auto window = std::make_unique<app::TFTerminal>(options);
    window->show();
    window->showMainPageQuietly(app::kTerminalPage);
    for (int i = 0; i < 50; ++i) settle();
    link::ProtocolLog& log = window->pages().reProt->model();

    QElapsedTimer t;
    t.start();
    double cpu0 = cpuSeconds();
    for (int i = 0; i < 10000; ++i) log.appendLine(kLine, link::kRequestColour);
    window->pages().reProt->flush();
    settle();
    const double burstMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
    const double burstCpuMs = (cpuSeconds() - cpu0) * 1e3;

    window->pages().reProt->clearLog();
    t.restart();
    cpu0 = cpuSeconds();
    for (int i = 0; i < 10000; ++i) {
        log.appendLine(kLine, link::kRequestColour);
        QCoreApplication::processEvents();
    }
    window->pages().reProt->flush();
    settle();
    const double pacedMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
    const double pacedCpuMs = (cpuSeconds() - cpu0) * 1e3;
    std::printf("main window offscreen, 10000 engine lines:\n"
                "  in one burst:                 %7.1f ms (CPU %7.1f ms)\n"
                "  one a pass of the event loop: %7.1f ms (CPU %7.1f ms)\n",
                burstMs, burstCpuMs, pacedMs, pacedCpuMs);
    window.reset();
    sim.stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    growthFigures();
    return burstFigure();
}
