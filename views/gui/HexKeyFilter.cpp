#include "views/gui/HexKeyFilter.h"

#include <QKeyEvent>

namespace velmora::views {

HexKeyFilter::HexKeyFilter(QLineEdit* box, std::function<void()> onEnter,
                           std::function<void()> onEscape)
    : QObject(box), box_(box), onEnter_(std::move(onEnter)), onEscape_(std::move(onEscape)) {
    box->installEventFilter(this);
}

bool HexKeyFilter::isHexDigit(const QString& text) {
    if (text.size() != 1) return false;
    const QChar c = text[0].toUpper();
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool HexKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != box_ || event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (onEnter_) onEnter_();
            return true;
        case Qt::Key_Escape:
            if (onEscape_) onEscape_();
            return true;
        case Qt::Key_Backspace:
            return false;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return keepTab_;
        default:
            break;
    }
    if (isHexDigit(key->text())) {
        if (!box_->isReadOnly()) box_->insert(key->text().toUpper());
        return true;
    }
    return true;  // every other key is dropped
}

QString conversionError(const QString& text) {
    return QString("'%1' is not a valid integer value").arg(text);
}

}  // namespace velmora::views
