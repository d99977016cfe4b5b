// TFTerminal: the keys it sees first, help and about.

#include <QApplication>
#include <QKeyEvent>

#include "app/TFAboutBox.h"
#include "app/TFHelp.h"
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

bool TFTerminal::showHelp() {
    // Looked up each time: the file may be put in place while the program runs.
    const QString path = options_.helpFile.isEmpty() ? locateHelpFile() : options_.helpFile;
    if (path.isEmpty()) return false;
    auto lines = readHelpFile(path);
    if (!lines) return false;
    if (!help_) help_ = new TFHelp(this);
    help_->setLines(*lines);
    afterReplyWait([this] { help_->exec(); });
    return true;
}

void TFTerminal::showAbout() {
    if (!about_) about_ = new TFAboutBox(this);
    about_->exec();
}

}  // namespace velmora::app
