#pragma once
// Notices changes of the machine's serial devices: a port added or removed, or the
// device path in use vanishing or coming back (so a pseudo-terminal behind a stable
// link behaves like a USB adapter being unplugged and plugged in).

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

namespace velmora::link {

class HardwareWatch : public QObject {
    Q_OBJECT
public:
    explicit HardwareWatch(QObject* parent = nullptr);
    // Listing the ports costs about 14 ms, so the poll stays near once a second.
    void start(int intervalMs = 1000);
    void stop();
    void setWatchedPath(const QString& path);

signals:
    void changed();

private:
    void poll();
    QSet<QString> snapshot() const;

    QTimer timer_;
    QString watched_;
    QSet<QString> last_;
};

}  // namespace velmora::link
