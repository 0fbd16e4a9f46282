#include "system_clocks.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDateTime>
#include <QElapsedTimer>
#include <ctime>

namespace tarvo {

qint64 LocalToEpochMicroseconds(const QDate &date, const QTime &time) {
    return QDateTime(date, time, Qt::LocalTime).toMSecsSinceEpoch() * 1000;
}

void TimedatedClock::setLocal(const QDate &date, const QTime &time, Done done) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("SetTime"));
    // Absolute time, and no password prompt: nobody may be at the PC when the watch runs.
    call << LocalToEpochMicroseconds(date, time) << false << false;
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kReplyTimeoutMs), &answers_);
    const auto answered = [watcher, done = std::move(done)] {
        watcher->deleteLater();
        if (done) done(!watcher->isError());
    };
    // A call that failed at once (no bus) is finished before anybody could watch it.
    if (watcher->isFinished())
        QMetaObject::invokeMethod(&answers_, answered, Qt::QueuedConnection);
    else
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &answers_, answered);
}

void KernelClock::setLocal(const QDate &date, const QTime &time, Done done) {
    const qint64 us = LocalToEpochMicroseconds(date, time);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(us / 1000000);
    ts.tv_nsec = static_cast<long>(us % 1000000) * 1000;
    const bool set = ::clock_settime(CLOCK_REALTIME, &ts) == 0;
    if (done) done(set);
}

void FallbackClock::setLocal(const QDate &date, const QTime &time, Done done) {
    QElapsedTimer asked;
    asked.start();
    first_->setLocal(date, time, [this, date, time, asked, done](bool set) {
        if (set) {
            if (done) done(true);
            return;
        }
        const QDateTime later = QDateTime(date, time, Qt::LocalTime).addMSecs(asked.elapsed());
        second_->setLocal(later.date(), later.time(), done);
    });
}

} // namespace tarvo
