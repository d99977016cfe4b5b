#include "common/gui/ElidedLabel.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

namespace velmora::gui {

namespace {
// Wide enough to show that there is a line here, whatever its text.
constexpr int kHintWidth = 40;
}  // namespace

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

QString ElidedLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

QSize ElidedLabel::sizeHint() const {
    const QMargins m = contentsMargins();
    return {kHintWidth + m.left() + m.right(), fontMetrics().height() + m.top() + m.bottom()};
}

QSize ElidedLabel::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

void ElidedLabel::followText() {
    if (followed_ == text()) return;
    followed_ = text();
    setToolTip(followed_);
    setAccessibleDescription(followed_);
}

bool ElidedLabel::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) followText();
    return QLabel::event(e);
}

void ElidedLabel::paintEvent(QPaintEvent* e) {
    followText();
    QFrame::paintEvent(e);
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(),
                          isEnabled(), shownText(), foregroundRole());
}

}  // namespace velmora::gui
