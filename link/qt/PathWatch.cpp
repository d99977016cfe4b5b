#include "link/qt/PathWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QFile>

namespace velmora::link {

namespace {

// IN_ATTRIB is left out: a device's permissions do not decide whether it is present,
// and terminals change attributes often.
constexpr uint32_t kDirectoryMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                    IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

}  // namespace

PathWatch::PathWatch(QObject* parent) : QObject(parent) {
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &PathWatch::readEvents);
}

PathWatch::~PathWatch() {
    notifier_.reset();
    if (fd_ >= 0) ::close(fd_);
}

void PathWatch::watch(const QList<WatchedName>& names) {
    names_ = names;
    if (fd_ < 0) return;
    // Adding a directory already watched hands back its descriptor, so the new map is
    // built from scratch and only descriptors no longer wanted are removed.
    std::map<int, QStringList> now;
    for (const WatchedName& n : names_) {
        const int wd =
            ::inotify_add_watch(fd_, QFile::encodeName(n.dir).constData(), kDirectoryMask);
        if (wd >= 0 && !now[wd].contains(n.dir)) now[wd] << n.dir;
    }
    for (const auto& [wd, dirs] : dirs_)
        if (!now.count(wd)) ::inotify_rm_watch(fd_, wd);
    dirs_ = std::move(now);
}

bool PathWatch::concerns(int wd, const QString& name) const {
    const auto it = dirs_.find(wd);
    if (it == dirs_.end()) return false;
    for (const WatchedName& n : names_) {
        if (!it->second.contains(n.dir)) continue;
        if (n.prefix ? name.startsWith(n.name) : name == n.name) return true;
    }
    return false;
}

void PathWatch::readEvents() {
    alignas(inotify_event) char buffer[4096];
    bool relevant = false;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            if (e->mask & IN_IGNORED) {
                // The directory is gone and the kernel dropped its watch.
                dirs_.erase(e->wd);
                relevant = true;
            } else if (e->mask & (IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF)) {
                relevant = true;
            } else if (e->len > 0 && concerns(e->wd, QFile::decodeName(e->name))) {
                relevant = true;
            }
        }
    }
    if (relevant) emit touched();
}

}  // namespace velmora::link
