#include "common/gui/FirstPaintMark.h"

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <cstdio>

namespace velmora::gui {

namespace {

// The first paint of any widget of the window starts the window's first frame; the mark
// is queued so that it follows the whole frame, painted and flushed to the screen.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* window) : window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || done_) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != window_) return false;
        done_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                qApp->removeEventFilter(this);
                deleteLater();
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    QPointer<QWidget> window_;
    bool done_ = false;
};

}  // namespace

void markFirstPaint(QWidget* window) {
    if (qEnvironmentVariableIsEmpty("VELMORA_STARTUP_MARK")) return;
    qApp->installEventFilter(new FirstPaint(window));
}

}  // namespace velmora::gui
