// Prints what the main window costs while nothing happens, and how soon it notices the
// adapter being unplugged and plugged in again: the real window on the simulated
// network behind a pseudo-terminal with a stable link, as a user would run it.

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>

#include "common/gui/StatusPanels.h"
#include "app/uVelmora.h"
#include "link/qt/HardwareWatch.h"
#include "bench/PacedSimulator.h"
#include "sim/SimConfig.h"

using namespace velmora;

namespace {

constexpr int kIdleMs = 10000;
constexpr int kGuardMs = 5000;

double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop, sleeping between events, for `ms`.
void idle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Milliseconds until `done` holds, looked at every 2 ms; -1 past the guard time.
qint64 msUntil(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (done() || t.elapsed() > kGuardMs) loop.quit();
    });
    tick.start(2);
    loop.exec();
    return done() ? t.elapsed() : -1;
}

struct Replug {
    qint64 watchMs = -1;   // a HardwareWatch of its own, on the same link
    qint64 windowMs = -1;  // the window's status line saying the hardware changed
};

// Unplugs or plugs the adapter through `act` and times the notices of it.
Replug timeChange(app::TFTerminal& window, link::HardwareWatch& watch,
                  const std::function<void()>& act) {
    const QString changeText = QStringLiteral("В системе смена оборудования");
    window.statusPanels().setPanelText(2, "");
    QElapsedTimer since;
    qint64 watchAt = -1;
    auto connection = QObject::connect(&watch, &link::HardwareWatch::changed, [&] {
        if (watchAt < 0) watchAt = since.elapsed();
    });
    Replug r;
    since.start();
    act();
    r.windowMs = msUntil([&] { return window.statusPanels().panelText(2) == changeText; });
    msUntil([&] { return watchAt >= 0; });
    r.watchMs = watchAt;
    QObject::disconnect(connection);
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    QTemporaryDir dir;
    sim::PtyOptions ptyOptions;
    ptyOptions.linkPath = (dir.path() + "/adapter").toStdString();
    bench::SimulatorOnPty sim(115200, ptyOptions);
    if (!sim.serving()) return 1;

    app::TerminalOptions options;
    options.settingsPath = dir.path() + "/velmora.ini";
    options.portOverride = link::PortChoice{1, QString::fromStdString(ptyOptions.linkPath)};
    options.helpFile = dir.path() + "/Velmora.hlp";
    auto window = std::make_unique<app::TFTerminal>(options);
    window->show();
    window->activateWindow();
    idle(1500);
    if (!window->Comm().isOpen()) {
        std::fprintf(stderr, "the window did not open %s\n", ptyOptions.linkPath.c_str());
        return 1;
    }

    const double process0 = cpuSeconds(RUSAGE_SELF);
    const double thread0 = cpuSeconds(RUSAGE_THREAD);
    QElapsedTimer wall;
    wall.start();
    idle(kIdleMs);
    const double seconds = static_cast<double>(wall.elapsed()) / 1000.0;
    std::printf("idle main window, %.1f s: %.3f %% of a core (process), %.3f %% (main thread)\n",
                seconds, 100.0 * (cpuSeconds(RUSAGE_SELF) - process0) / seconds,
                100.0 * (cpuSeconds(RUSAGE_THREAD) - thread0) / seconds);

    link::HardwareWatch watch;
    watch.setWatchedPath(QString::fromStdString(ptyOptions.linkPath));
    watch.start();
    std::printf("changes learnt through: %s\n", qPrintable(watch.method()));
    const Replug gone = timeChange(*window, watch, [&] { sim.server->requestUnplug(); });
    idle(1500);
    const Replug back = timeChange(*window, watch, [&] { sim.server->requestPlug(); });
    std::printf("unplug noticed after: watch %lld ms, window %lld ms\n",
                static_cast<long long>(gone.watchMs), static_cast<long long>(gone.windowMs));
    std::printf("replug noticed after: watch %lld ms, window %lld ms  (-1: not within %d ms)\n",
                static_cast<long long>(back.watchMs), static_cast<long long>(back.windowMs),
                kGuardMs);

    watch.stop();
    window->close();
    window.reset();
    sim.stop();
    return 0;
}
