#include "link/qt/QtEventPump.h"

#include <QCoreApplication>

namespace velmora::link {

QtEventPump::QtEventPump(const Clock& clock) : clock_(clock) {
    // A coarse timer may wake up to 5 % late, which would stretch every time limit.
    wake_.setTimerType(Qt::PreciseTimer);
    wake_.setSingleShot(true);
}

void QtEventPump::waitForEvents(uint64_t wakeAtMs) {
    uint64_t now = clock_.nowMs();
    if (now >= wakeAtMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // processEvents(flags, maxtime) would spin; waiting for more events with a timer
    // armed at the deadline sleeps instead.
    wake_.start(static_cast<int>(wakeAtMs - now));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    wake_.stop();
}

}  // namespace velmora::link
