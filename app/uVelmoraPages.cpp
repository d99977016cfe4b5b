// TFTerminal: the keys it sees first.

#include <QApplication>
#include <QKeyEvent>

#include "app/uVelmora.h"

namespace velmora::app {

bool TFTerminal::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, e);
    // The key goes first to the focused control of this window (or to the window when
    // nothing has the focus); a key that propagates to a parent is not seen twice.
    QWidget* focus = QApplication::focusWidget();
    QWidget* first = focus ? focus : static_cast<QWidget*>(this);
    if (watched != first || first->window() != this || QApplication::activeModalWidget() ||
        QApplication::activePopupWidget())
        return QMainWindow::eventFilter(watched, e);
    return nav_->key(static_cast<QKeyEvent*>(e));
}

}  // namespace velmora::app
