#include "common/gui/Fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace velmora::gui {

namespace {

// Fixed-pitch families common on Linux desktops, tried by name before the whole list.
const char* const kKnownMonospace[] = {"DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono",
                                       "Nimbus Mono PS", "FreeMono", "Courier"};

QFont sized(QFont font, int pointSize, bool bold) {
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

bool drawsFixedPitch(const QFont& font) { return QFontInfo(font).fixedPitch(); }

}  // namespace

QFont namedFont(const QString& family, int pointSize, bool bold) {
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(family, Qt::CaseInsensitive)) {
        QFont font = sized(QFont(family), pointSize, bold);
        if (drawsFixedPitch(font)) return font;
    }
    QFont hinted = sized(QFont("monospace"), pointSize, bold);
    hinted.setStyleHint(QFont::Monospace);
    hinted.setFixedPitch(true);
    if (drawsFixedPitch(hinted)) return hinted;
    QFont platform = sized(QFontDatabase::systemFont(QFontDatabase::FixedFont), pointSize, bold);
    if (drawsFixedPitch(platform)) return platform;
    QStringList candidates;
    for (const char* known : kKnownMonospace)
        if (installed.contains(known, Qt::CaseInsensitive)) candidates << known;
    for (const QString& f : installed)
        if (QFontDatabase::isFixedPitch(f) && !QFontDatabase::isPrivateFamily(f)) candidates << f;
    for (const QString& f : candidates) {
        QFont font = sized(QFont(f), pointSize, bold);
        if (drawsFixedPitch(font)) return font;
    }
    return hinted;  // no fixed-pitch face installed at all: the closest the machine has
}

}  // namespace velmora::gui
