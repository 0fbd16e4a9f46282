// The ways of setting the PC's clock. The program tries systemd-timedated first, which asks its
// own policy and keeps the hardware clock in step, and sets the kernel clock itself only when
// timedated is not there or refuses, which works where the process holds CAP_SYS_TIME.
#pragma once

#include "clock_ports.h"

#include <QDBusConnection>
#include <QObject>
#include <memory>

namespace tarvo {

// Microseconds since the epoch of a local date and time, as the local time zone reads it.
qint64 LocalToEpochMicroseconds(const QDate &date, const QTime &time);

// Asks timedated without waiting for its answer, which can take seconds while its policy decides:
// the window and the tray stay live meanwhile.
class TimedatedClock : public SystemClock {
  public:
    explicit TimedatedClock(QDBusConnection bus) : bus_(std::move(bus)) {}
    void setLocal(const QDate &date, const QTime &time, Done done) override;

    static constexpr int kReplyTimeoutMs = 5000;

  private:
    QDBusConnection bus_;
    // Answers that come after the clock is gone reach nobody.
    QObject answers_;
};

class KernelClock : public SystemClock {
  public:
    void setLocal(const QDate &date, const QTime &time, Done done) override;
};

// The first clock, and the second when the first refused. The second gets the time moved on by
// however long the first took to refuse.
class FallbackClock : public SystemClock {
  public:
    FallbackClock(std::unique_ptr<SystemClock> first, std::unique_ptr<SystemClock> second)
        : first_(std::move(first)), second_(std::move(second)) {}
    void setLocal(const QDate &date, const QTime &time, Done done) override;

  private:
    std::unique_ptr<SystemClock> first_;
    std::unique_ptr<SystemClock> second_;
};

} // namespace tarvo
