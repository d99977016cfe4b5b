#pragma once
// The names under which the kernel offers serial devices, for noticing that one came or
// went. Much cheaper than presentPorts(): it reads one folder of /sys and asks nothing
// of the devices, so it lists built-in ports that have no hardware behind them too. It
// is a fingerprint for comparison, not a list to offer the user.

#include <QString>
#include <QStringList>

namespace velmora::link {

// "/dev/<name>" for every entry of `ttyClassDir` that has a device behind it, sorted.
// Where that folder cannot be read or lists none, presentPorts() instead.
QStringList serialDeviceNodes(const QString& ttyClassDir = QStringLiteral("/sys/class/tty"));

}  // namespace velmora::link
