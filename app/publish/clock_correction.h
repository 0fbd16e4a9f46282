#pragma once

#include "clock_ports.h"
#include "ports.h"

#include <QByteArray>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>

namespace tarvo {

// Minutes from `server` to `pc`, counted as the minute boundaries crossed between them, so that
// 10:00:59 and 10:01:00 are one minute apart.
std::int64_t MinuteBoundaries(const QDateTime &server, const QDateTime &pc);

// Sets the PC's clock from a DAYTIME time server, one query at a time.
class ClockCorrection {
  public:
    struct Ports {
        DaytimeConnection &connection;
        QueryTimer &timerWatch3;
        WallClock &wallClock;
        Clock &clock;
        SystemClock &systemClock;
        CoreSettings &settings;
    };

    static constexpr int kTimeOutMs = 60000;
    // NIST asks its users not to query one server more often than this.
    static constexpr std::int64_t kSameServerPauseMs = 4000;

    explicit ClockCorrection(Ports ports) : p_(ports) {}

    // Loading the watch settings fills the list from the built-in names.
    void FillServerList();
    const QStringList &ServerList() const { return servers_; }

    // Starts one query to entry `index` of the list and returns at once; false when it was
    // skipped (a query waiting, no such entry, the same server asked less than 4 s ago).
    bool CorrectClock(int index);
    // Everything received so far on the query's connection.
    void DataArrival(const QByteArray &received);
    void TimerWatch3Tick();
    // The options dialog's "時間取得テスト": the next reply goes to `showTestReply` instead of
    // the clock, even while a query waits.
    bool StartTest(int index);

    // The options dialog's result box.
    std::function<void(const QString &)> showTestReply;
    std::function<void()> clearTestReply;

    bool TimeQueryBusy = false;
    bool TimeTestMode = false;

  private:
    void endQuery();
    void correctFrom(const QByteArray &reply);

    Ports p_;
    QStringList servers_;
    std::map<QString, std::int64_t> lastQueryMs_;
};

} // namespace tarvo
