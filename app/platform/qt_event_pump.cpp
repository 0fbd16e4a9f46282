#include "qt_event_pump.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>

namespace tarvo {

QtEventPump::QtEventPump() {
    started_.start();
}

std::int64_t QtEventPump::nowMs() const {
    return started_.elapsed();
}

void QtEventPump::pump() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::waitForEvents(std::optional<std::int64_t> deadlineMs) {
    QTimer wake;
    if (deadlineMs) {
        // The timer only wakes the dispatcher; the caller looks at the clock itself.
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        wake.start(static_cast<int>(std::clamp<std::int64_t>(*deadlineMs - nowMs(), 0, INT32_MAX)));
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace tarvo
