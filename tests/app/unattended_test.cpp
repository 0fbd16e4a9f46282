// The night the program spends alone: boxes nobody clicks, watches that meet, the end of the day.
// The main loop is the fake event queue, with the program's timers behaving as Qt's do.
#include "core_fakes.h"
#include "schedule.h"

#include <gtest/gtest.h>

namespace tarvo::testing {
namespace {

using WatchTimer = settings::WatchTimer;

const QString kFailed = QStringLiteral("接続できませんでした。");
const QString kDisconnected = QStringLiteral("切断しました。");

class RecordingSessionEnd : public SessionEndPort {
  public:
    std::vector<EndRequest> requests;
    void request(EndRequest what) override { requests.push_back(what); }
};

// The core with its schedule and the one-second `Timer`, on fakes.
struct Night {
    Night() {
        f.messages.events = &f.events;
        f.settings.log = 1;
        f.settings.count = QStringLiteral("0");
        started = f.core.StartUp() == 0;
        f.messages.shown.clear();
    }
    // Runs the program's event loop until the PC's clock reads `time`, `days` midnights on.
    void runUntil(int days, const QTime &time) {
        const QDateTime target(wall.localNow().date().addDays(days), time, Qt::UTC);
        f.events.runUntil(f.clock.now + wall.localNow().msecsTo(target));
    }
    bool shownBox(const QString &prefix) const {
        for (const auto &m : f.messages.shown)
            if (m.text.startsWith(prefix)) return true;
        return false;
    }

    CoreFixture f;
    FakeWallClock wall{f.clock};
    RecordingSessionEnd sessionEnd;
    Schedule schedule{Schedule::Ports{f.core, f.window, f.cancelWindow, f.settings, wall,
                                      f.services, sessionEnd}};
    FakePeriodicTimer timer{f.events, f.clock, 1000, [this] { schedule.ScheduleTick(); }};
    bool started = false;
};

class UnattendedTest : public ::testing::Test, public Night {
  protected:
    void SetUp() override { ASSERT_TRUE(started); }
};

TEST(UnattendedNightTest, TheConnectBoxLeftOpenAllNightDoesNotStopTheHangUpOrTheEnd) {
    for (int end : {1, 0}) {
        SCOPED_TRACE(end);
        Night n;
        ASSERT_TRUE(n.started);
        CoreFixture &f = n.f;
        f.settings.standardEnd = end;
        n.wall.set(22, 59, 58);
        n.timer.start();

        n.runUntil(0, QTime(23, 1));
        ASSERT_EQ(f.library.connectTimes.size(), 1u);
        ASSERT_TRUE(n.shownBox(QStringLiteral("接続完了")));
        EXPECT_EQ(f.messages.open, 1);
        EXPECT_EQ(f.core.state.LinkState, LINK_CONNECTED);

        // Nobody clicks OK. The line stays up until the end minute, and not a tick longer.
        n.runUntil(1, QTime(7, 54, 59));
        EXPECT_TRUE(f.library.addressesOf("hangup").empty());
        n.runUntil(0, QTime(7, 56));
        EXPECT_EQ(f.library.addressesOf("hangup").size(), 1u);
        EXPECT_EQ(f.library.line, LINE_IDLE);
        EXPECT_EQ(f.library.clearCalls, 1);
        EXPECT_EQ(f.services.logs, (std::vector<LogKind>{LogKind::Connect, LogKind::Disconnect}));
        EXPECT_EQ(f.core.state.ExitInProgress, end == 1);
        EXPECT_EQ(n.sessionEnd.requests, end == 1 ? std::vector<EndRequest>{EndRequest::PowerOff}
                                                  : std::vector<EndRequest>{});
        if (end == 0) {
            // Both boxes still open; the window shows the line the hang-up left.
            EXPECT_EQ(f.messages.open, 2);
            EXPECT_TRUE(f.messages.contains(kDisconnected));
            EXPECT_EQ(f.core.state.LinkState, LINK_IDLE);
            EXPECT_EQ(f.window.caption(), QString());
            EXPECT_TRUE(f.window.enabled[Command::CmdIN]);
            EXPECT_FALSE(f.window.enabled[Command::CmdOut]);
            // The OKs, late in the morning, change nothing.
            f.messages.ok();
            f.messages.ok();
            n.runUntil(0, QTime(9, 0));
            EXPECT_EQ(f.core.state.LinkState, LINK_IDLE);
            EXPECT_EQ(f.library.addressesOf("dial").size(), 1u);
        }
    }
}

TEST_F(UnattendedTest, AFailureBoxLeftOpenDoesNotStopTheConnectionWatchFromRedialling) {
    FakePeriodicTimer watch{f.events, f.clock, 60000,
                            [this] { schedule.WatchTick(WatchTimer::Connection); }};
    f.settings.watchTime = 2;
    f.settings.watchAutoStart = 1;
    schedule.ArmCounter(WatchTimer::Connection);
    watch.start();
    f.library.connects = false;
    f.core.CommandConnect(false, false);
    ASSERT_TRUE(f.messages.contains(kFailed));
    ASSERT_EQ(f.messages.open, 1);

    f.library.connects = true;
    f.events.runUntil(f.clock.now + 3 * 60000);
    EXPECT_EQ(f.library.connectTimes.size(), 2u);
    EXPECT_EQ(f.core.state.LinkState, LINK_CONNECTED);
    EXPECT_EQ(f.messages.open, 2); // the failure and the success, both unanswered
}

TEST(UnattendedNightTest, TwoWatchesDueInTheSameMinuteBothRunWithinAMinute) {
    // The clock watch falls due inside the connection watch's poll and is turned away there.
    const struct {
        int watchTime;
        int watchTime2;
    } cases[] = {{10, 10}, {5, 10}, {1, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.watchTime << "/" << c.watchTime2);
        Night n;
        ASSERT_TRUE(n.started);
        CoreFixture &g = n.f;
        Schedule &sch = n.schedule;
        g.settings.watch = 1;
        g.settings.watchTime = c.watchTime;
        g.settings.watch2 = 1;
        g.settings.watchTime2 = c.watchTime2;
        g.settings.ntpIndex = 4;
        g.library.line = LINE_CONNECTED;
        FakePeriodicTimer watch{g.events, g.clock, 60000,
                                [&] { sch.WatchTick(WatchTimer::Connection); }};
        FakePeriodicTimer watch2{g.events, g.clock, 60000,
                                 [&] { sch.WatchTick(WatchTimer::Clock); }};
        sch.ArmCounter(WatchTimer::Connection);
        sch.ArmCounter(WatchTimer::Clock);
        watch.start();
        watch2.start();
        n.timer.start();
        // Each poll of the connection watch pumps events: that is where the other tick lands.
        const std::int64_t due = g.clock.now + std::int64_t{c.watchTime2} * 60000;

        g.events.runUntil(due - 1);
        EXPECT_TRUE(g.services.clockCorrections.empty());
        g.events.runUntil(due + 59999);
        ASSERT_EQ(g.services.clockCorrections.size(), 1u);
        EXPECT_EQ(g.services.clockCorrections[0], 4);
        // Over five intervals each watch ran five times, the turned-away one no less.
        g.events.runUntil(due + 4 * std::int64_t{c.watchTime2} * 60000 + 59999);
        EXPECT_EQ(g.services.clockCorrections.size(), 5u);
    }
}

TEST_F(UnattendedTest, NoEndWhileAHangUpStartedByTheUserStillWaits) {
    f.settings.standardEnd = 1;
    f.settings.sEnd = 1;
    f.core.CommandConnect(true, false);
    ASSERT_TRUE(f.core.state.LineUpFlag);
    wall.set(7, 54, 59);
    timer.start();
    // The router reports the line down at once, but the hang-up's completion comes later: the
    // schedule sees a line that is down at the end minute while the hang-up still waits.
    f.library.hangUpMs = 4000;
    f.library.duringNextCondition = [this] { f.library.line = LINE_BUSY; };
    f.events.after(500, [this] { f.core.CommandDisconnect(); });
    runUntil(0, QTime(7, 55, 30));

    EXPECT_EQ(f.library.clearCalls, 1);
    EXPECT_EQ(f.services.logs.back(), LogKind::Disconnect);
    EXPECT_EQ(sessionEnd.requests, std::vector<EndRequest>{EndRequest::PowerOff});
    EXPECT_TRUE(f.core.state.ExitInProgress);
}

TEST(UnattendedNightTest, ShutdownDuringAPollsPumpKeepsTheLibraryUntouchedAfterCleanup) {
    const struct {
        const char *what;
        std::function<void(BasMain &)> run;
    } cases[] = {
        {"poll", [](BasMain &core) { core.PollStatus(0); }},
        {"refresh", [](BasMain &core) { core.RefreshMainWindow(); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CoreFixture g;
        ASSERT_EQ(g.core.StartUp(), 0);
        g.library.line = LINE_CONNECTED;
        g.core.state.DoneFlag = true; // no wait: only the pump right after the request
        g.events.after(0, [&] { g.core.ShutDown(); });
        c.run(g.core);
        EXPECT_EQ(g.library.cleanupCalls, 1);
        EXPECT_EQ(g.library.callsAfterCleanup, 0);
    }
}

} // namespace
} // namespace tarvo::testing
