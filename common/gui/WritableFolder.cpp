#include "common/gui/WritableFolder.h"

#include <QDir>
#include <QFileInfo>

namespace velmora::gui {

QString programOrUserFolder(const QString& programFolder, QStandardPaths::StandardLocation userKind) {
    if (QFileInfo(programFolder).isWritable()) return programFolder;
    const QString dir = QStandardPaths::writableLocation(userKind) + "/velmora";
    QDir().mkpath(dir);
    return dir;
}

}  // namespace velmora::gui
