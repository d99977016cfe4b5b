#include "link/qt/HardwareWatch.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>

#include "link/qt/LinkChain.h"
#include "link/qt/SerialNodes.h"

namespace velmora::link {

namespace {

// A burst of notices (a link replaced, then the old terminal closed) makes one look, yet
// a change is still reported well within a second.
constexpr int kSettleMs = 150;

}  // namespace

HardwareWatch::HardwareWatch(QObject* parent)
    : HardwareWatch(PortLister([] { return serialDeviceNodes(); }), parent) {}

HardwareWatch::HardwareWatch(PortLister lister, QObject* parent)
    : QObject(parent), lister_(std::move(lister)) {
    settle_.setSingleShot(true);
    connect(&poll_, &QTimer::timeout, this, &HardwareWatch::look);
    connect(&settle_, &QTimer::timeout, this, &HardwareWatch::look);
    connect(&udev_, &UdevMonitor::deviceEvent, this, &HardwareWatch::noticed);
    connect(&paths_, &PathWatch::touched, this, &HardwareWatch::noticed);
}

bool HardwareWatch::polling() const {
    return !paths_.available() && !udev_.available();
}

QString HardwareWatch::method() const {
    if (polling()) return QStringLiteral("poll");
    if (!udev_.available()) return QStringLiteral("inotify");
    return paths_.available() ? QStringLiteral("udev+inotify") : QStringLiteral("udev");
}

void HardwareWatch::start(int intervalMs) {
    running_ = true;
    settle_.setInterval(std::min(intervalMs, kSettleMs));
    rearmPathWatch();
    last_ = snapshot();
    if (polling()) poll_.start(intervalMs);
}

void HardwareWatch::stop() {
    running_ = false;
    poll_.stop();
    settle_.stop();
    paths_.watch({});
}

void HardwareWatch::setWatchedPath(const QString& path) {
    watched_ = path;
    // Before start() there is nothing to compare with yet; start() takes the first look.
    if (!running_) return;
    rearmPathWatch();
    last_ = snapshot();
}

void HardwareWatch::noticed() {
    // The timer is not restarted by later notices, so a steady trickle cannot put the
    // look off for ever.
    if (running_ && !settle_.isActive()) settle_.start();
}

void HardwareWatch::rearmPathWatch() {
    QList<WatchedName> names;
    // The watched path's links may have been re-pointed, so their chain is followed anew
    // before every look; a change after this point raises a notice of its own.
    for (const QString& p : linkChain(watched_)) {
        const QFileInfo info(p);
        names.append({info.path(), info.fileName(), false});
    }
    // Without udev, serial device nodes show up in /dev by themselves.
    if (!udev_.available()) names.append({QStringLiteral("/dev"), QStringLiteral("tty"), true});
    paths_.watch(names);
}

QSet<QString> HardwareWatch::snapshot() const {
    QSet<QString> now;
    for (const QString& p : lister_()) now.insert(p);
    // exists() follows links, so a stable link to a vanished pty counts as gone.
    if (!watched_.isEmpty() && QFileInfo::exists(watched_)) {
        // A pseudo-terminal's number is handed out again at once: a device that vanished
        // and another that took its name are told apart by when the node was made.
        const QFileInfo target(QFileInfo(watched_).canonicalFilePath());
        now.insert(QStringLiteral("watched:") + target.filePath() + QLatin1Char('@') +
                   QString::number(target.metadataChangeTime().toMSecsSinceEpoch()));
    }
    return now;
}

void HardwareWatch::look() {
    if (!polling()) rearmPathWatch();
    QSet<QString> now = snapshot();
    if (now == last_) return;
    last_ = now;
    emit changed();
}

}  // namespace velmora::link
