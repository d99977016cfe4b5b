#pragma once
// A private X server (Xvfb) on a free display for the benchmarks that need a real one;
// nothing when Xvfb is not installed.

#include <QFile>
#include <QProcess>
#include <QString>
#include <QThread>

namespace velmora::bench {

struct PrivateXServer {
    QProcess server;
    QString display;
    bool start() {
        for (int n = 91; n < 140; ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) ||
                QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                continue;
            display = QStringLiteral(":%1").arg(n);
            server.setStandardOutputFile(QProcess::nullDevice());
            server.setStandardErrorFile(QProcess::nullDevice());
            server.start("Xvfb", {display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
            if (!server.waitForStarted(3000)) return false;
            for (int i = 0; i < 100; ++i) {
                if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) return true;
                QThread::msleep(20);
            }
            server.kill();
            server.waitForFinished();
            return false;
        }
        return false;
    }
    ~PrivateXServer() {
        if (server.state() != QProcess::NotRunning) {
            server.terminate();
            server.waitForFinished(3000);
        }
    }
};

}  // namespace velmora::bench
