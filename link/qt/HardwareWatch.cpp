#include "link/qt/HardwareWatch.h"

#include <QFileInfo>

#include "link/qt/PortChoice.h"

namespace velmora::link {

HardwareWatch::HardwareWatch(QObject* parent) : QObject(parent) {
    connect(&timer_, &QTimer::timeout, this, &HardwareWatch::poll);
}

void HardwareWatch::start(int intervalMs) {
    last_ = snapshot();
    timer_.start(intervalMs);
}

void HardwareWatch::stop() {
    timer_.stop();
}

void HardwareWatch::setWatchedPath(const QString& path) {
    watched_ = path;
    last_ = snapshot();
}

QSet<QString> HardwareWatch::snapshot() const {
    QSet<QString> now;
    for (const QString& p : presentPorts()) now.insert(p);
    // exists() follows links, so a stable link to a vanished pty counts as gone.
    if (!watched_.isEmpty() && QFileInfo::exists(watched_))
        now.insert(QStringLiteral("watched:") + QFileInfo(watched_).canonicalFilePath());
    return now;
}

void HardwareWatch::poll() {
    QSet<QString> now = snapshot();
    if (now == last_) return;
    last_ = now;
    emit changed();
}

}  // namespace velmora::link
