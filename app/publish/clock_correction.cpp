#include "clock_correction.h"

#include "daytime_reply.h"
#include "time_servers.h"

#include <string_view>

namespace tarvo {

namespace {
std::int64_t floorMinutes(std::int64_t seconds) {
    return seconds >= 0 ? seconds / 60 : -((-seconds + 59) / 60);
}

// Local date-times are compared as they read, without any zone or summer time in between.
QDateTime naive(const QDate &date, const QTime &time) {
    return QDateTime(date, time, Qt::UTC);
}
} // namespace

std::int64_t MinuteBoundaries(const QDateTime &server, const QDateTime &pc) {
    return floorMinutes(pc.toSecsSinceEpoch()) - floorMinutes(server.toSecsSinceEpoch());
}

void ClockCorrection::FillServerList() {
    servers_.clear();
    for (std::string_view name : kTimeServers)
        servers_.append(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

bool ClockCorrection::CorrectClock(int index) {
    if (TimeQueryBusy) return false;
    // Only a hand-edited NTPIndex or an empty dialog list can point outside the list.
    if (index < 0 || index >= servers_.size()) return false;
    const QString host = servers_.at(index);
    const std::int64_t now = p_.clock.nowMs();
    const auto last = lastQueryMs_.find(host);
    if (last != lastQueryMs_.end() && now - last->second < kSameServerPauseMs) return false;
    lastQueryMs_[host] = now;

    p_.connection.close();
    p_.connection.connectToHost(host, daytime::kPort);
    p_.timerWatch3.setPeriod(kTimeOutMs);
    TimeQueryBusy = true;
    return true;
}

void ClockCorrection::endQuery() {
    TimeQueryBusy = false;
    p_.connection.close();
    p_.timerWatch3.setPeriod(0);
}

void ClockCorrection::DataArrival(const QByteArray &received) {
    // Data of a query that already ended (timed out, replaced by a test) is nobody's reply.
    if (!TimeQueryBusy) return;
    endQuery();
    if (TimeTestMode) {
        if (showTestReply) showTestReply(QString::fromLatin1(received));
    } else {
        correctFrom(received);
    }
    TimeTestMode = false;
}

void ClockCorrection::correctFrom(const QByteArray &reply) {
    const auto utc = daytime::ParseReply(std::string_view(reply.constData(), reply.size()));
    if (!utc) return;
    const QDateTime server =
        naive(QDate(utc->year, utc->month, utc->day), QTime(utc->hour, utc->minute, utc->second))
            .addSecs(static_cast<qint64>(p_.settings.Zisa()) * 3600);
    const QDateTime local = p_.wallClock.localNow();
    const QTime t = local.time();
    const QDateTime pc = naive(local.date(), QTime(t.hour(), t.minute(), t.second()));
    const std::int64_t d = MinuteBoundaries(server, pc);
    const int threshold = p_.settings.WatchTime3();
    if (-threshold < d && d < threshold) return;
    // A refusal (no privilege) is not reported: the next cycle tries again.
    p_.systemClock.setLocal(server.date(), server.time(), {});
}

void ClockCorrection::TimerWatch3Tick() {
    endQuery();
    // A test that got no answer must not swallow the reply of the next scheduled correction.
    TimeTestMode = false;
}

bool ClockCorrection::StartTest(int index) {
    TimeTestMode = true;
    TimeQueryBusy = false;
    if (clearTestReply) clearTestReply();
    if (CorrectClock(index)) return true;
    TimeTestMode = false;
    return false;
}

} // namespace tarvo
