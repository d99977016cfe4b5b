#include "views/gui/TActvePanel.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace velmora::views {

TActvePanel::TActvePanel(const QString& caption, int tag, QWidget* parent)
    : QLabel(caption, parent), tag_(tag) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAlignment(Qt::AlignCenter);
    setFixedHeight(20);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(caption);
    defaultColour_ = palette().color(QPalette::WindowText);
    setActive(false);
}

void TActvePanel::setActive(bool active) {
    active_ = active;
    setCaptionColour(active ? QColor(Qt::blue) : defaultColour_);
    // The colour alone would not reach a screen reader.
    setAccessibleDescription(active ? "активен" : QString());
}

void TActvePanel::setCaptionColour(const QColor& colour) {
    // Through the palette: a style sheet a panel would cost every panel the style sheet
    // machinery at each hover, and at start-up.
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
}

void TActvePanel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    setCaptionColour(Qt::white);
}

void TActvePanel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    setActive(active_);
}

void TActvePanel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked(tag_);
}

void TActvePanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        emit clicked(tag_);
        return;
    }
    QLabel::keyPressEvent(event);
}

}  // namespace velmora::views
