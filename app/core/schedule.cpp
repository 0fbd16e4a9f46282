#include "schedule.h"

#include "configured_router.h"
#include "end_windows.h"

namespace tarvo {

namespace {
QString hhmm(const QTime &t) {
    return t.toString(QStringLiteral("HHmm"));
}
} // namespace

bool InFlatRateHours(const QTime &now) {
    const QString t = hhmm(now);
    return (t >= QStringLiteral("2300") && t <= QStringLiteral("2359")) ||
           (t >= QStringLiteral("0000") && t <= QStringLiteral("0755"));
}

bool Schedule::InFlatRateHours() const {
    return tarvo::InFlatRateHours(p_.clock.localNow().time());
}

void Schedule::ScheduleTick() {
    CoreState &st = p_.core.state;
    if (st.ExitInProgress) return;
    retryTurnedAwayWatches();
    if (st.ExitInProgress || p_.settings.AutoStart() != 1) return;
    const QString now = hhmm(p_.clock.localNow().time());

    if (st.LinkState == LINK_IDLE && now == p_.settings.StartTime()) connectDue_ = true;
    if (connectDue_) {
        if (st.LinkState != LINK_IDLE || scheduledConnect()) connectDue_ = false;
    }
    if (st.ExitInProgress) return;

    if (now == p_.settings.EndTime()) hangUpDue_ = true;
    // A hang-up that is still waiting must first log and clear its counters.
    if (!hangUpDue_ || p_.core.SequenceRunning()) return;
    const bool endAlsoWhenDown = p_.settings.StandardEnd() == 1 && p_.settings.SEnd() == 1;
    if (st.LinkState == LINK_CONNECTED) {
        bool end = false;
        if (!scheduledDisconnect(end)) return;
        hangUpDue_ = false;
        if (end) endAndShutDown();
    } else {
        hangUpDue_ = false;
        if (endAlsoWhenDown) endAndShutDown();
    }
}

bool Schedule::scheduledConnect() {
    CoreState &st = p_.core.state;
    return p_.core.RunSequence([&] {
        p_.core.PollStatus(st.SelectedRouter);
        if (st.ExitInProgress || st.LinkState != LINK_IDLE) return;
        st.SingleAttempt = false;
        if (p_.window.windowState() != WindowState::Normal) {
            p_.core.Connect();
            return;
        }
        const QRect g = p_.window.geometryPixels();
        p_.core.PlaceWindow(p_.cancelWindow, true, g.x() * 15, g.y() * 15);
        p_.core.Connect();
        p_.cancelWindow.unload();
    });
}

bool Schedule::scheduledDisconnect(bool &end) {
    CoreState &st = p_.core.state;
    return p_.core.RunSequence([&] {
        p_.core.PollStatus(st.SelectedRouter);
        if (st.ExitInProgress) return;
        if (st.LinkState == LINK_CONNECTED) {
            p_.core.Disconnect();
            // The user ended the program during the hang-up: that end is the one they chose.
            end = !st.ExitInProgress && p_.settings.StandardEnd() == 1;
        } else {
            end = p_.settings.StandardEnd() == 1 && p_.settings.SEnd() == 1;
        }
    });
}

void Schedule::endAndShutDown() {
    EndWindows();
    p_.core.ShutDown();
}

void Schedule::EndWindows() {
    tarvo::EndWindows(p_.settings, p_.sessionEnd);
}

std::int16_t &Schedule::counter(WatchTimer timer) {
    switch (timer) {
    case WatchTimer::Connection:
        return WatchCount;
    case WatchTimer::Clock:
        return ClockCorrectionTick;
    case WatchTimer::RouterSearch:
        break;
    }
    return WatchCount5;
}

int Schedule::interval(WatchTimer timer) const {
    switch (timer) {
    case WatchTimer::Connection:
        return p_.settings.WatchTime();
    case WatchTimer::Clock:
        return p_.settings.WatchTime2();
    case WatchTimer::RouterSearch:
        break;
    }
    return p_.settings.CorvastineWatchTime();
}

void Schedule::ArmCounter(WatchTimer timer) {
    counter(timer) = 1;
    turnedAway_[static_cast<std::size_t>(timer)] = false;
}

void Schedule::retryTurnedAwayWatches() {
    for (WatchTimer timer : {WatchTimer::Connection, WatchTimer::Clock, WatchTimer::RouterSearch}) {
        if (p_.core.state.ExitInProgress || p_.core.SequenceRunning()) return;
        if (turnedAway_[static_cast<std::size_t>(timer)]) runWatch(timer);
    }
}

void Schedule::WatchTick(WatchTimer timer) {
    if (p_.core.state.ExitInProgress) return;
    std::int16_t &c = counter(timer);
    if (c < interval(timer)) {
        ++c;
        return;
    }
    runWatch(timer);
}

void Schedule::runWatch(WatchTimer timer) {
    std::int16_t &c = counter(timer);
    // Restarted before the action: ticks handled inside its waits count towards the next run.
    const std::int16_t due = c;
    c = 1;
    bool ran = true;
    switch (timer) {
    case WatchTimer::Connection:
        ran = WatchConnection();
        break;
    case WatchTimer::Clock:
        ran = WatchClock();
        break;
    case WatchTimer::RouterSearch:
        ran = RouterWatch();
        break;
    }
    // Turned away by another sequence: still due. It runs once that sequence is over (the
    // schedule's tick looks every second), and at the latest at its own next tick, rather than a
    // whole interval later, or never when the intervals keep meeting.
    turnedAway_[static_cast<std::size_t>(timer)] = !ran;
    if (!ran) c = due;
}

bool Schedule::WatchConnection() {
    if (p_.settings.TerehoSts() != 0 && !InFlatRateHours()) return true;
    CoreState &st = p_.core.state;
    return p_.core.RunSequence([&] {
        p_.core.PollStatus(st.SelectedRouter);
        if (st.ExitInProgress) return;
        if (p_.settings.WatchAutoStart() == 1 && st.LinkState == LINK_IDLE && !st.LineUpFlag) {
            st.SingleAttempt = false;
            p_.core.Connect();
        }
    });
}

bool Schedule::WatchClock() {
    if (p_.settings.TerehoSts2() != 0 && !InFlatRateHours()) return true;
    CoreState &st = p_.core.state;
    bool lineUp = false;
    const bool ran = p_.core.RunSequence([&] {
        p_.core.PollStatus(st.SelectedRouter);
        lineUp = !st.ExitInProgress && st.LineUpFlag;
    });
    // The time servers are on the Internet behind the router: only worth asking with the line up.
    if (lineUp && p_.settings.Watch2() == 1) p_.services.correctClock(p_.settings.NTPIndex());
    return ran;
}

bool Schedule::RouterWatch() {
    // A router that has not answered since the settings named it is as gone as a port that is
    // off: search until it answers.
    const CoreState &st = p_.core.state;
    if (st.LinkState == LINK_OFF || ConfiguredRouterMissing(st, p_.settings.IP()))
        return p_.core.CommandSearch();
    return true;
}

} // namespace tarvo
