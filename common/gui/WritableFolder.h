#pragma once
// Where the program keeps a file of its own: beside the program, as it always has, when
// that folder can be written; otherwise (an installed copy in /usr/bin) in the user's
// folder of that kind, in a "velmora" folder made when needed.

#include <QStandardPaths>
#include <QString>

namespace velmora::gui {

QString programOrUserFolder(const QString& programFolder, QStandardPaths::StandardLocation userKind);

}  // namespace velmora::gui
