#include "common/gui/ToolWindowPlace.h"

#include <QScreen>
#include <QWidget>

#include "common/ToolWindowPlace.h"
#include "common/gui/CaptionWidth.h"

namespace velmora::gui {

namespace {
ScreenRect rectOf(const QRect& r) { return {r.left(), r.top(), r.width(), r.height()}; }
}  // namespace

void placeToolWindow(QWidget* tool, const QWidget* main) {
    if (!tool || !main) return;
    const QWidget* window = main->window();
    QScreen* screen = window->screen();
    if (!screen) return;
    const QRect frame = window->frameGeometry(), inner = window->geometry();
    // The window manager's frame around the main window; the tool window will get the
    // same. Without a window manager (or before the first showing) there is none: the
    // bar a window manager would draw still counts, so that the cascade steps aside.
    const QMargins decor(inner.left() - frame.left(), inner.top() - frame.top(),
                   frame.right() - inner.right(), frame.bottom() - inner.bottom());
    const int bar = decor.top() > 0 ? decor.top() : titleBarHeight();
    const QSize size = tool->testAttribute(Qt::WA_Resized)
                           ? tool->size()
                           : tool->sizeHint().expandedTo(tool->minimumSize());
    const ScreenRect at = velmora::placeToolWindow(
        rectOf(frame), bar, {0, 0, size.width() + decor.left() + decor.right(),
                             size.height() + decor.top() + decor.bottom()},
        rectOf(screen->availableGeometry()));
    const QSize fitted(at.width - decor.left() - decor.right(), at.height - decor.top() - decor.bottom());
    // Sized here even when the size stays: a window left to size itself on showing has
    // its position taken for its client area's, the frame ending up above it.
    tool->resize(fitted);
    tool->move(at.left, at.top);  // a window's position is its frame's
}

}  // namespace velmora::gui
