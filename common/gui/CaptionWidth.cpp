#include "common/gui/CaptionWidth.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QLayout>
#include <QSpacerItem>
#include <QWidget>
#include <algorithm>

namespace velmora::gui {

namespace {
QFont titleFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    return font;
}
}  // namespace

int titleBarHeight() { return QFontMetrics(titleFont()).height() + 10; }

int captionWidth(const QString& caption) {
    const QFontMetrics metrics(titleFont());
    const int bar = titleBarHeight();  // and so a button's width
    const int icon = bar, buttons = 3 * bar, padding = 24;
    return metrics.horizontalAdvance(caption.trimmed()) + icon + buttons + padding;
}

void fitCaption(QWidget* dialog) {
    const int needed = captionWidth(dialog->windowTitle());
    QLayout* layout = dialog->layout();
    if (layout && layout->sizeConstraint() == QLayout::SetFixedSize) {
        // The layout sets the size itself: widen what it lays out.
        const QMargins m = layout->contentsMargins();
        layout->addItem(new QSpacerItem(needed - m.left() - m.right(), 0, QSizePolicy::Fixed,
                                        QSizePolicy::Fixed));
        return;
    }
    dialog->setMinimumWidth(std::max(dialog->minimumWidth(), needed));
    if (dialog->maximumWidth() < needed) dialog->setMaximumWidth(needed);
}

}  // namespace velmora::gui
