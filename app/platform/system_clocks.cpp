#include "system_clocks.h"

#include <QDBusMessage>
#include <QDateTime>
#include <ctime>

namespace tarvo {

qint64 LocalToEpochMicroseconds(const QDate &date, const QTime &time) {
    return QDateTime(date, time, Qt::LocalTime).toMSecsSinceEpoch() * 1000;
}

bool TimedatedClock::setLocal(const QDate &date, const QTime &time) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("SetTime"));
    // Absolute time, and no password prompt: nobody may be at the PC when the watch runs.
    call << LocalToEpochMicroseconds(date, time) << false << false;
    return bus_.call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
}

bool KernelClock::setLocal(const QDate &date, const QTime &time) {
    const qint64 us = LocalToEpochMicroseconds(date, time);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(us / 1000000);
    ts.tv_nsec = static_cast<long>(us % 1000000) * 1000;
    return ::clock_settime(CLOCK_REALTIME, &ts) == 0;
}

} // namespace tarvo
