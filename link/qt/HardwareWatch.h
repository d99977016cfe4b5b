#pragma once
// Notices changes of the machine's serial devices: a port added or removed, or the
// device path in use vanishing or coming back (so a pseudo-terminal behind a stable
// link behaves like a USB adapter being unplugged and plugged in).
//
// What is compared is the kernel's list of serial device names (serialDeviceNodes(), a
// single folder read), and it is taken only when udev or inotify says something changed;
// a timed poll remains only where neither can be had.

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

#include "link/qt/PathWatch.h"
#include "link/qt/UdevMonitor.h"

namespace velmora::link {

class HardwareWatch : public QObject {
    Q_OBJECT
public:
    using PortLister = std::function<QStringList()>;

    explicit HardwareWatch(QObject* parent = nullptr);
    // `lister` stands in for serialDeviceNodes(), so tests can see when the list is taken.
    explicit HardwareWatch(PortLister lister, QObject* parent = nullptr);

    // A change is reported at most `intervalMs` after it happens (bursts of notices
    // within that time make one look); without udev and inotify, the ports are listed
    // every `intervalMs`, which should then stay near a second.
    void start(int intervalMs = 1000);
    void stop();
    void setWatchedPath(const QString& path);

    // How the watch learns of changes: "udev", "inotify", "udev+inotify" or "poll".
    QString method() const;

signals:
    void changed();

private:
    void look();
    void noticed();
    void rearmPathWatch();
    QSet<QString> snapshot() const;
    bool polling() const;

    PortLister lister_;
    UdevMonitor udev_;
    PathWatch paths_;
    QTimer poll_;
    QTimer settle_;
    bool running_ = false;
    QString watched_;
    QSet<QString> last_;
};

}  // namespace velmora::link
