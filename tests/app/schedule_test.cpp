#include "core_fakes.h"
#include "end_windows.h"
#include "schedule.h"

#include <gtest/gtest.h>

namespace tarvo::testing {
namespace {

using WatchTimer = settings::WatchTimer;

class FakeSessionEnd : public SessionEndPort {
  public:
    std::vector<EndRequest> requests;
    void request(EndRequest what) override { requests.push_back(what); }
};

class ScheduleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(f.core.StartUp(), 0);
        f.settings.count = QStringLiteral("0");
    }
    void lineConnected() {
        f.library.line = LINE_CONNECTED;
        f.core.PollStatus(0);
        ASSERT_EQ(f.core.state.LinkState, LINK_CONNECTED);
    }
    // Moves the fake clock on to the given time of day (never backwards) and ticks there.
    void tickAt(int h, int m, int s = 0) {
        wall.set(h, m, s);
        schedule.ScheduleTick();
    }
    void minuteTicks(WatchTimer timer, int minutes) {
        for (int i = 0; i < minutes; ++i) {
            f.clock.now += 60000;
            schedule.WatchTick(timer);
        }
    }
    bool ended() const { return f.core.state.ExitInProgress; }

    CoreFixture f;
    FakeWallClock wall{f.clock};
    FakeSessionEnd sessionEnd;
    Schedule schedule{Schedule::Ports{f.core, f.window, f.cancelWindow, f.settings, wall,
                                      f.services, sessionEnd}};
};

TEST(FlatRateHoursTest, RunFrom2300To0755BothMinutesIncluded) {
    const struct {
        QTime time;
        bool inside;
    } cases[] = {
        {QTime(7, 55, 0), true},   {QTime(7, 55, 59), true},   {QTime(7, 56, 0), false},
        {QTime(23, 0, 0), true},   {QTime(22, 59, 59), false}, {QTime(0, 0, 0), true},
        {QTime(23, 59, 59), true}, {QTime(12, 0, 0), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(InFlatRateHours(c.time), c.inside) << c.time.toString().toStdString();
}

TEST_F(ScheduleTest, ConnectsAtEveryTickOfTheStartMinuteWhileIdleAndNotAfterIt) {
    f.library.connects = false;
    tickAt(23, 0, 30);
    ASSERT_EQ(f.library.connectTimes.size(), 1u);
    EXPECT_FALSE(f.core.state.SingleAttempt);
    EXPECT_EQ(f.cancelWindow.unloads, 1); // shown for the normal window, then closed
    EXPECT_LT(wall.localNow().time(), QTime(23, 1));

    // A failed sequence is followed by another within the same minute.
    schedule.ScheduleTick();
    EXPECT_EQ(f.library.connectTimes.size(), 2u);

    tickAt(23, 1, 0);
    EXPECT_EQ(f.library.connectTimes.size(), 2u);
}

TEST_F(ScheduleTest, ConnectsWithoutTheCancelWindowWhenTheWindowIsNotNormal) {
    f.window.state = WindowState::Minimized;
    tickAt(23, 0, 0);
    EXPECT_EQ(f.library.connectTimes.size(), 1u);
    EXPECT_EQ(f.cancelWindow.unloads, 0);
    EXPECT_EQ(f.core.state.LinkState, LINK_CONNECTED);
}

TEST_F(ScheduleTest, DoesNotConnectWhileAnotherSequenceRuns) {
    f.library.dialMs = 90000;
    f.events.after(30000, [&] {
        wall.set(23, 0, 10);
        schedule.ScheduleTick();
    });
    f.core.CommandConnect(true, false);
    EXPECT_EQ(f.library.connectTimes.size(), 1u);
}

// A poll of the monitor or a dialog that holds the line through the whole minute (a router that
// answers slowly) must not cost the night its dial or its hang-up: each runs as soon as the line
// is free again.
TEST_F(ScheduleTest, ADialOrHangUpTurnedAwayForItsWholeMinuteRunsOnceTheLineIsFree) {
    const auto busyThrough = [&](int h, int m) {
        ASSERT_TRUE(f.core.RunSequence([&] {
            for (int s = 0; s < 60; s += 5)
                tickAt(h, m, s);
        }));
    };
    busyThrough(23, 0);
    EXPECT_TRUE(f.library.connectTimes.empty());
    tickAt(23, 1, 0);
    ASSERT_EQ(f.library.connectTimes.size(), 1u);
    ASSERT_EQ(f.core.state.LinkState, LINK_CONNECTED);
    tickAt(23, 1, 1);
    EXPECT_EQ(f.library.connectTimes.size(), 1u) << "one dial, not one per tick";

    f.settings.standardEnd = 1;
    busyThrough(7, 55);
    EXPECT_EQ(f.library.line, LINE_CONNECTED);
    EXPECT_FALSE(ended());
    tickAt(7, 56, 0);
    EXPECT_EQ(f.library.line, LINE_IDLE);
    EXPECT_EQ(f.library.clearCalls, 1);
    EXPECT_EQ(sessionEnd.requests.size(), 1u);
    EXPECT_TRUE(ended());
}

TEST_F(ScheduleTest, AtTheEndTimeDropsTheLineAndEndsOnlyWithEnd1) {
    for (int end : {1, 0}) {
        SCOPED_TRACE(end);
        CoreFixture g;
        ASSERT_EQ(g.core.StartUp(), 0);
        FakeWallClock w{g.clock};
        FakeSessionEnd s;
        Schedule sch{
            Schedule::Ports{g.core, g.window, g.cancelWindow, g.settings, w, g.services, s}};
        g.settings.standardEnd = end;
        g.library.line = LINE_CONNECTED;
        g.core.PollStatus(0);
        w.set(7, 55, 0);
        sch.ScheduleTick();
        EXPECT_EQ(g.library.line, LINE_IDLE);
        EXPECT_EQ(g.library.clearCalls, 1);
        EXPECT_EQ(s.requests.size(), end == 1 ? 1u : 0u);
        if (end == 1) {
            EXPECT_EQ(s.requests[0], EndRequest::PowerOff);
        }
        EXPECT_EQ(g.core.state.ExitInProgress, end == 1);
        EXPECT_EQ(g.services.quits, end == 1 ? 1 : 0);
    }
}

TEST_F(ScheduleTest, ConnectedOutsideTheEndMinuteNothingHappens) {
    f.settings.standardEnd = 1;
    f.settings.sEnd = 1;
    lineConnected();
    tickAt(7, 54, 59);
    tickAt(7, 56, 0);
    EXPECT_EQ(f.library.line, LINE_CONNECTED);
    EXPECT_FALSE(ended());
}

TEST_F(ScheduleTest, WithTheLineAlreadyDownTheEndNeedsEndAndSEnd) {
    const struct {
        int end;
        int sEnd;
        bool connectedBefore; // the program last saw the line up; the poll finds it down
        bool ends;
    } cases[] = {
        {1, 1, false, true},  {1, 0, false, false}, {0, 1, false, false},
        {0, 0, false, false}, {1, 1, true, true},   {1, 0, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.end << c.sEnd << c.connectedBefore);
        CoreFixture g;
        ASSERT_EQ(g.core.StartUp(), 0);
        FakeWallClock w{g.clock};
        FakeSessionEnd s;
        Schedule sch{
            Schedule::Ports{g.core, g.window, g.cancelWindow, g.settings, w, g.services, s}};
        g.settings.standardEnd = c.end;
        g.settings.sEnd = c.sEnd;
        g.settings.endType = {0, -1, 0, 0, 0};
        if (c.connectedBefore) {
            g.library.line = LINE_CONNECTED;
            g.core.PollStatus(0);
            g.library.line = LINE_IDLE;
        }
        w.set(7, 55, 20);
        sch.ScheduleTick();
        EXPECT_EQ(g.library.clearCalls, 0); // nothing to hang up
        EXPECT_EQ(g.core.state.ExitInProgress, c.ends);
        EXPECT_EQ(s.requests,
                  c.ends ? std::vector<EndRequest>{EndRequest::LogOff} : std::vector<EndRequest>{});
    }
}

TEST_F(ScheduleTest, AutoStart0NeitherConnectsNorHangsUp) {
    f.settings.autoStart = 0;
    f.settings.standardEnd = 1;
    f.settings.sEnd = 1;
    tickAt(23, 0, 5);
    EXPECT_TRUE(f.library.connectTimes.empty());
    lineConnected();
    tickAt(7, 55, 5);
    EXPECT_EQ(f.library.line, LINE_CONNECTED);
    EXPECT_FALSE(ended());
}

TEST_F(ScheduleTest, ConnectionWatchRunsEveryWatchTimeMinutesAfterLoading) {
    f.settings.watchTime = 10;
    f.settings.watchAutoStart = 1;
    f.library.connects = false;
    schedule.ArmCounter(WatchTimer::Connection);
    std::vector<int> pollMinutes;
    for (int minute = 1; minute <= 30; ++minute) {
        const int before = f.library.conditionCalls;
        minuteTicks(WatchTimer::Connection, 1);
        if (f.library.conditionCalls != before) pollMinutes.push_back(minute);
    }
    EXPECT_EQ(pollMinutes, (std::vector<int>{10, 20, 30}));
    // Each run found the line idle and dialled once.
    EXPECT_EQ(f.library.connectTimes.size(), 3u);
}

TEST_F(ScheduleTest, ConnectionWatchWithFlatRateOnlyDoesNothingAtNoon) {
    f.settings.watchTime = 1;
    f.settings.terehoSts = 1;
    f.settings.watchAutoStart = 1;
    schedule.ArmCounter(WatchTimer::Connection);
    wall.set(12, 0);
    const int before = f.library.conditionCalls;
    minuteTicks(WatchTimer::Connection, 3);
    EXPECT_EQ(f.library.conditionCalls, before);

    wall.set(23, 30);
    minuteTicks(WatchTimer::Connection, 1);
    EXPECT_GT(f.library.conditionCalls, before);
    EXPECT_EQ(f.library.connectTimes.size(), 1u);
}

TEST_F(ScheduleTest, IntervalsOfOneOrLessRunAtEveryTick) {
    for (int n : {1, 0, -5}) {
        f.settings.watchTime = n;
        schedule.ArmCounter(WatchTimer::Connection);
        const int before = f.library.conditionCalls;
        minuteTicks(WatchTimer::Connection, 3);
        EXPECT_EQ(f.library.conditionCalls - before, 3) << n;
    }
}

TEST_F(ScheduleTest, ClockWatchAsksForTheClockOnlyWithTheLineUp) {
    f.settings.watch2 = 1;
    f.settings.watchTime2 = 2;
    f.settings.ntpIndex = 7;
    schedule.ArmCounter(WatchTimer::Clock);
    minuteTicks(WatchTimer::Clock, 2);
    EXPECT_TRUE(f.services.clockCorrections.empty()); // idle line

    f.library.line = LINE_CONNECTED;
    minuteTicks(WatchTimer::Clock, 2);
    EXPECT_EQ(f.services.clockCorrections, std::vector<int>{7});
    EXPECT_EQ(schedule.ClockCorrectionTick, 1);

    f.settings.terehoSts2 = 1;
    wall.set(12, 0);
    minuteTicks(WatchTimer::Clock, 2);
    EXPECT_EQ(f.services.clockCorrections.size(), 1u);
}

TEST_F(ScheduleTest, RouterWatchSearchesOnlyForAMissingRouterAndRestartsItsCounter) {
    f.settings.corvastineWatchTime = 3;
    schedule.ArmCounter(WatchTimer::RouterSearch);
    f.core.state.LinkState = LINK_IDLE;
    const int finds = f.library.findCalls;
    minuteTicks(WatchTimer::RouterSearch, 3);
    EXPECT_EQ(schedule.WatchCount5, 1);
    EXPECT_EQ(f.library.findCalls, finds);

    f.core.state.LinkState = LINK_OFF;
    minuteTicks(WatchTimer::RouterSearch, 2);
    EXPECT_EQ(schedule.WatchCount5, 3);
    EXPECT_EQ(f.library.findCalls, finds);
    minuteTicks(WatchTimer::RouterSearch, 1);
    EXPECT_EQ(schedule.WatchCount5, 1);
    EXPECT_EQ(f.library.findCalls, finds + 1);
}

TEST(EndWindowsTest, TheFirstChosenOptionDecidesAndPowerOffWinsOverLogOff) {
    using R = std::optional<EndRequest>;
    const struct {
        std::array<int, 5> types;
        R expected;
    } cases[] = {
        {{-1, 0, 0, 0, 0}, EndRequest::PowerOff},
        {{0, -1, 0, 0, 0}, EndRequest::LogOff},
        {{-1, -1, 0, 0, 0}, EndRequest::PowerOff},
        {{0, 0, -1, 0, 0}, EndRequest::Reboot},
        {{0, 0, 0, -1, 0}, EndRequest::ForceLogOff},
        {{0, 0, 0, 0, -1}, EndRequest::Shutdown},
        {{0, 0, 0, 0, 0}, std::nullopt},
        {{0, 1, 0, 0, -1}, EndRequest::LogOff},
    };
    for (const auto &c : cases) {
        FakeSettings s;
        s.endType = c.types;
        FakeSessionEnd port;
        EndWindows(s, port);
        EXPECT_EQ(ChosenEndRequest(s), c.expected);
        EXPECT_EQ(port.requests.size(), c.expected ? 1u : 0u);
    }
}

} // namespace
} // namespace tarvo::testing
