// What the clock correction needs from the platform: a TCP connection by host name, a one-shot
// time-out timer and the means to set the PC's clock.
#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <functional>

namespace tarvo {

// A TCP client. Received data comes back through ClockCorrection::DataArrival.
class DaytimeConnection {
  public:
    virtual ~DaytimeConnection() = default;
    virtual void connectToHost(const QString &host, unsigned short port) = 0;
    // Drops the connection, open or still being made; harmless when there is none.
    virtual void close() = 0;
};

// TimerWatch3: a period of 0 stops it.
class QueryTimer {
  public:
    virtual ~QueryTimer() = default;
    virtual void setPeriod(int periodMs) = 0;
};

class SystemClock {
  public:
    virtual ~SystemClock() = default;
    // Told whether the system set the clock (false: refused).
    using Done = std::function<void(bool)>;
    // Sets the PC's local date and time. May return before the system has answered; `done`
    // (when given) hears the answer later.
    virtual void setLocal(const QDate &date, const QTime &time, Done done) = 0;
};

} // namespace tarvo
