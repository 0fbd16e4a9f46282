// The ways of setting the PC's clock. The program tries systemd-timedated first, which asks its
// own policy and keeps the hardware clock in step, and sets the kernel clock itself only when
// timedated is not there or refuses, which works where the process holds CAP_SYS_TIME.
#pragma once

#include "clock_ports.h"

#include <QDBusConnection>
#include <memory>

namespace tarvo {

// Microseconds since the epoch of a local date and time, as the local time zone reads it.
qint64 LocalToEpochMicroseconds(const QDate &date, const QTime &time);

class TimedatedClock : public SystemClock {
  public:
    explicit TimedatedClock(QDBusConnection bus) : bus_(std::move(bus)) {}
    bool setLocal(const QDate &date, const QTime &time) override;

  private:
    QDBusConnection bus_;
};

class KernelClock : public SystemClock {
  public:
    bool setLocal(const QDate &date, const QTime &time) override;
};

class FallbackClock : public SystemClock {
  public:
    FallbackClock(std::unique_ptr<SystemClock> first, std::unique_ptr<SystemClock> second)
        : first_(std::move(first)), second_(std::move(second)) {}
    bool setLocal(const QDate &date, const QTime &time) override {
        return first_->setLocal(date, time) || second_->setLocal(date, time);
    }

  private:
    std::unique_ptr<SystemClock> first_;
    std::unique_ptr<SystemClock> second_;
};

} // namespace tarvo
