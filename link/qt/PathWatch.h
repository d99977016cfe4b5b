#pragma once
// Notice of names coming and going in a few directories, through inotify: the device
// paths udev knows nothing of (pseudo-terminals, links to them anywhere), and device
// nodes on a machine without udev. Only the names asked for count, so a busy
// directory such as /tmp does not wake the program for every file in it.

#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <map>
#include <memory>

namespace velmora::link {

struct WatchedName {
    QString dir;
    QString name;
    bool prefix = false;  // any name beginning with `name`
};

class PathWatch : public QObject {
    Q_OBJECT
public:
    explicit PathWatch(QObject* parent = nullptr);
    ~PathWatch() override;
    PathWatch(const PathWatch&) = delete;
    PathWatch& operator=(const PathWatch&) = delete;

    // False where inotify cannot be had (no kernel support, out of instances).
    bool available() const { return fd_ >= 0; }
    // Replaces what is watched. A directory that does not exist is not watched.
    void watch(const QList<WatchedName>& names);

signals:
    // One of the names was created, removed or renamed, or a watched directory itself
    // went away.
    void touched();

private:
    void readEvents();
    bool concerns(int wd, const QString& name) const;

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QList<WatchedName> names_;
    std::map<int, QStringList> dirs_;  // watch descriptor -> directories it stands for
};

}  // namespace velmora::link
