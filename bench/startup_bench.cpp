// Start-up beside a plain Qt window: how long each takes from the start of its process
// to its first frame on the screen, and how much CPU it uses in its first 1.5 s. The two
// are started in turn, ten times each, and the medians are compared. The desktop program
// runs as a user starts it: default settings, the simulated network on its port, so the
// start-up scan is part of what is measured.
//
// Under Xvfb when it is installed (a real X server, as on a desktop); offscreen otherwise.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "bench/PacedSimulator.h"
#include "bench/PrivateXServer.h"

namespace {

constexpr int kRounds = 10;
constexpr int kCpuWindowMs = 1500;

// CPU time used so far by every thread of the process, in milliseconds.
double cpuMs(qint64 pid) {
    double ns = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks.filePath(task) + "/schedstat");
        if (f.open(QIODevice::ReadOnly)) ns += f.readAll().split(' ').value(0).toDouble();
    }
    return ns / 1e6;
}

struct Start {
    double shownMs = -1;
    double cpuAtShow = -1;
    double cpu = -1;
};

Start startOnce(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                const QString& workDir) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(workDir);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    Start s;
    if (!p.waitForStarted(5000)) return s;
    QByteArray out;
    while (clock.elapsed() < 10000 && !out.contains("shown\n")) {
        if (p.waitForReadyRead(100)) out += p.readAllStandardOutput();
        if (p.state() == QProcess::NotRunning) break;
    }
    if (out.contains("shown\n")) {
        s.shownMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        s.cpuAtShow = cpuMs(p.processId());
    }
    const qint64 left = kCpuWindowMs - clock.elapsed();
    if (left > 0) QThread::msleep(static_cast<unsigned long>(left));
    if (p.state() == QProcess::Running) s.cpu = cpuMs(p.processId());
    p.kill();
    p.waitForFinished(5000);
    return s;
}

double median(std::vector<double> v) {
    v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return x < 0; }), v.end());
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool forceOffscreen = app.arguments().contains("--offscreen");
    velmora::bench::PacedSimulator sim(115200);
    if (!sim.serving()) return 1;

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELMORA_STARTUP_MARK", "1");
    velmora::bench::PrivateXServer x;
    QString where;
    if (!forceOffscreen && x.start()) {
        env.insert("DISPLAY", x.display);
        env.insert("QT_QPA_PLATFORM", "xcb");
        where = "Xvfb " + x.display;
    } else {
        env.insert("QT_QPA_PLATFORM", "offscreen");
        where = "offscreen";
    }
    QTemporaryDir dir;
    const QString port = QString::fromStdString(sim.server->devicePath());
    std::printf("Start-up, %d starts each, %s, medians:\n", kRounds, where.toUtf8().constData());

    // Two ways to start: without the start-up scan ("Автосканер" off and no saved
    // system), which is the start-up's own cost, and with it, as on a first start.
    bool allShown = true;
    for (const bool scan : {false, true}) {
        std::vector<double> plainShown, plainCpu, plainCpuShown, ownShown, ownCpu, ownCpuShown;
        for (int i = 0; i < kRounds; ++i) {
            const Start plain = startOnce(VELMORA_PLAIN_PATH, {}, env, dir.path());
            const QString ini = dir.filePath(QStringLiteral("velmora-%1-%2.ini").arg(scan).arg(i));
            if (!scan) {
                QFile f(ini);
                if (f.open(QIODevice::WriteOnly)) f.write("[System]\r\nAutoSkan=0\r\n");
            }
            const Start own = startOnce(VELMORA_GUI_PATH, {"--port", port, "--settings", ini}, env, dir.path());
            plainShown.push_back(plain.shownMs);
            plainCpu.push_back(plain.cpu);
            plainCpuShown.push_back(plain.cpuAtShow);
            ownShown.push_back(own.shownMs);
            ownCpu.push_back(own.cpu);
            ownCpuShown.push_back(own.cpuAtShow);
        }
        const double ps = median(plainShown), pc = median(plainCpu), os = median(ownShown),
                     oc = median(ownCpu), psc = median(plainCpuShown), osc = median(ownCpuShown);
        std::printf("%s\n", scan ? "With the start-up scan of the bus:" : "Without the start-up scan:");
        if (ps <= 0 || os <= 0) {
            std::printf("  a window never showed (plain %.0f ms, velmora %.0f ms)\n", ps, os);
            allShown = false;
            continue;
        }
        std::printf("  plain Qt window: shown after %6.1f ms, CPU in the first 1.5 s %6.1f ms\n", ps, pc);
        std::printf("  velmora:         shown after %6.1f ms, CPU in the first 1.5 s %6.1f ms\n", os, oc);
        std::printf("  CPU until shown: plain %.1f ms, velmora %.1f ms\n", psc, osc);
        std::printf("  ratio: time to show %.2f, CPU until shown %.2f, CPU in the first 1.5 s %.2f%s\n",
                    os / ps, osc / psc, oc / pc,
                    scan ? "" : " (target: the first two at most 1.5)");
    }
    return allShown ? 0 : 1;
}

