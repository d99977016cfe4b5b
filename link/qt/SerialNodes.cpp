#include "link/qt/SerialNodes.h"

#include <dirent.h>
#include <sys/stat.h>

#include <string>

#include "link/qt/PortChoice.h"

namespace velmora::link {

QStringList serialDeviceNodes(const QString& ttyClassDir) {
    QStringList out;
    const std::string dir = ttyClassDir.toStdString();
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            if (e->d_name[0] == '.') continue;
            // Virtual terminals and pseudo-terminals have no "device" link; serial ports do.
            struct stat st {};
            const std::string device = dir + "/" + e->d_name + "/device";
            if (::lstat(device.c_str(), &st) == 0)
                out << QStringLiteral("/dev/") + QString::fromLocal8Bit(e->d_name);
        }
        ::closedir(d);
    }
    if (out.isEmpty()) return presentPorts();
    out.sort();
    return out;
}

}  // namespace velmora::link
