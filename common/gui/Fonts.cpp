#include "common/gui/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace velmora::gui {

QFont namedFont(const QString& family, int pointSize, bool bold) {
    QFont font = QFontDatabase::families().contains(family, Qt::CaseInsensitive)
                     ? QFont(family)
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

}  // namespace velmora::gui
