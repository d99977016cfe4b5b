#include "link/qt/LinkChain.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmora::link {

namespace {

// Empty when `path` is not a symbolic link (or cannot be read).
QString readLink(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    char target[4096];
    const ssize_t n = ::readlink(native.constData(), target, sizeof target - 1);
    if (n <= 0) return {};
    return QFile::decodeName(QByteArray(target, static_cast<qsizetype>(n)));
}

}  // namespace

QStringList linkChain(const QString& path, int maxHops) {
    if (path.isEmpty()) return {};
    QStringList chain{QDir::cleanPath(QFileInfo(path).absoluteFilePath())};
    for (int hop = 0; hop < maxHops; ++hop) {
        const QString target = readLink(chain.back());
        if (target.isEmpty()) break;
        const QString next = QDir::isAbsolutePath(target)
                                 ? QDir::cleanPath(target)
                                 : QDir::cleanPath(QFileInfo(chain.back()).path() + '/' + target);
        if (chain.contains(next)) break;
        chain << next;
    }
    return chain;
}

}  // namespace velmora::link
