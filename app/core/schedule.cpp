#include "schedule.h"

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
    if (st.ExitInProgress || p_.settings.AutoStart() != 1) return;
    const QString now = hhmm(p_.clock.localNow().time());

    if (st.LinkState == LINK_IDLE && now == p_.settings.StartTime()) scheduledConnect();
    if (st.ExitInProgress) return;

    const bool atEnd = now == p_.settings.EndTime();
    const bool endAlsoWhenDown = p_.settings.StandardEnd() == 1 && p_.settings.SEnd() == 1;
    if (st.LinkState == LINK_CONNECTED) {
        if (atEnd && scheduledDisconnect()) endAndShutDown();
    } else if (atEnd && endAlsoWhenDown) {
        endAndShutDown();
    }
}

void Schedule::scheduledConnect() {
    CoreState &st = p_.core.state;
    // While another sequence runs this is skipped; every tick of the minute tries again.
    p_.core.RunSequence([&] {
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

bool Schedule::scheduledDisconnect() {
    CoreState &st = p_.core.state;
    bool end = false;
    p_.core.RunSequence([&] {
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
    return end;
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
}

void Schedule::WatchTick(WatchTimer timer) {
    if (p_.core.state.ExitInProgress) return;
    std::int16_t &c = counter(timer);
    if (c < interval(timer)) {
        ++c;
        return;
    }
    // Restarted before the action: ticks handled inside its waits count towards the next run.
    c = 1;
    switch (timer) {
    case WatchTimer::Connection:
        WatchConnection();
        break;
    case WatchTimer::Clock:
        WatchClock();
        break;
    case WatchTimer::RouterSearch:
        RouterWatch();
        break;
    }
}

void Schedule::WatchConnection() {
    if (p_.settings.TerehoSts() != 0 && !InFlatRateHours()) return;
    CoreState &st = p_.core.state;
    p_.core.RunSequence([&] {
        p_.core.PollStatus(st.SelectedRouter);
        if (st.ExitInProgress) return;
        if (p_.settings.WatchAutoStart() == 1 && st.LinkState == LINK_IDLE && !st.LineUpFlag) {
            st.SingleAttempt = false;
            p_.core.Connect();
        }
    });
}

void Schedule::WatchClock() {
    if (p_.settings.TerehoSts2() != 0 && !InFlatRateHours()) return;
    CoreState &st = p_.core.state;
    bool lineUp = false;
    p_.core.RunSequence([&] {
        p_.core.PollStatus(st.SelectedRouter);
        lineUp = !st.ExitInProgress && st.LineUpFlag;
    });
    // The time servers are on the Internet behind the router: only worth asking with the line up.
    if (lineUp && p_.settings.Watch2() == 1) p_.services.correctClock(p_.settings.NTPIndex());
}

void Schedule::RouterWatch() {
    if (p_.core.state.LinkState == LINK_OFF) p_.core.CommandSearch();
}

} // namespace tarvo
