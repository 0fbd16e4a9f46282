// What the clock correction needs from the platform: a TCP connection by host name, a one-shot
// time-out timer and the means to set the PC's clock.
#pragma once

#include <QDate>
#include <QString>
#include <QTime>

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
    // Sets the PC's local date and time; false when the system refused.
    virtual bool setLocal(const QDate &date, const QTime &time) = 0;
};

} // namespace tarvo
