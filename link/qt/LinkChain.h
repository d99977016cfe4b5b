#pragma once
// The paths a device path leads through: the path itself, then each symbolic link's
// target in turn. A stable link to a pseudo-terminal gives two entries, e.g.
// /tmp/velmora-sim-123 and /dev/pts/7; a watch on each entry's directory notices the
// link being replaced as well as the terminal going away.

#include <QString>
#include <QStringList>

namespace velmora::link {

// Targets given relative to their link are made absolute; the chain stops at the first
// path that is not a link (missing ones included) or after `maxHops` links, so a loop
// of links ends too.
QStringList linkChain(const QString& path, int maxHops = 8);

}  // namespace velmora::link
