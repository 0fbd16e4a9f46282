#include "core_fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace tarvo::testing {
namespace {

const QString kFailed = QStringLiteral("接続できませんでした。");
const QString kDisconnected = QStringLiteral("切断しました。");

class ConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(f.core.StartUp(), 0);
        f.messages.shown.clear();
        f.window.countTexts.clear();
        f.tray.pictures.clear();
    }
    CoreFixture f;
};

TEST_F(ConnectionTest, CountOneWithARouterThatNeverConnectsMakesTwoAttemptsWithPauses) {
    f.library.connects = false;
    f.library.dialMs = 1000;
    f.settings.sTime = 3;
    const std::int64_t start = f.clock.now;

    ASSERT_TRUE(f.core.CommandConnect(false, true));

    EXPECT_EQ(f.window.countTexts,
              (std::vector<QString>{QStringLiteral("0/1"), QStringLiteral("1/1")}));
    ASSERT_EQ(f.library.connectTimes.size(), 2u);
    // Each attempt is followed by a pause of more than STime whole seconds from its start.
    EXPECT_GT((f.library.connectTimes[1] - f.library.connectTimes[0]) / 1000, 3);
    EXPECT_GT((f.clock.now - f.library.connectTimes[1]) / 1000, 3);
    EXPECT_GE(f.library.connectTimes[0], start);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, kFailed);
    EXPECT_EQ(f.messages.shown[0].title, QStringLiteral("接続情報"));
    EXPECT_NE(std::find(f.tray.pictures.begin(), f.tray.pictures.end(), TRAY_FAILED),
              f.tray.pictures.end());
    EXPECT_FALSE(f.core.state.ConnectInProgress);
    EXPECT_FALSE(f.cancelWindow.loaded);
}

TEST_F(ConnectionTest, CancelDuringTheWaitEndsItAtOnceAndFails) {
    f.library.dialMs = 60000;
    f.events.after(500, [&] { f.core.CancelRequested(); });
    const std::int64_t start = f.clock.now;

    f.core.CommandConnect(false, true);

    EXPECT_LT(f.clock.now - start, 5000);
    EXPECT_EQ(f.library.connectTimes.size(), 1u);
    EXPECT_TRUE(f.messages.contains(kFailed));
    EXPECT_TRUE(f.services.logs.empty());
}

TEST_F(ConnectionTest, MinimisedWindowShowsNoMessageAndClosesTheCancelWindowAtTheFirstWait) {
    f.window.state = WindowState::Minimized;
    f.library.connects = false;
    bool cancelWindowOpenDuringDial = true;
    f.events.after(10, [] {});
    f.events.after(100, [&] { cancelWindowOpenDuringDial = f.cancelWindow.loaded; });

    f.core.CommandConnect(false, true);
    EXPECT_FALSE(cancelWindowOpenDuringDial);
    EXPECT_TRUE(f.messages.shown.empty());

    f.library.connects = true;
    f.core.CommandConnect(true, false);
    EXPECT_TRUE(f.core.state.LineUpFlag);
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST_F(ConnectionTest, SuccessfulSingleAttemptReportsLogsAndShowsTheAddressAsCaption) {
    f.settings.log = 1;
    f.library.ex.connection_mode = 10;
    f.library.ex.line_type = 4;
    f.library.ex.global_address = 0x0A000005;

    f.core.CommandConnect(true, true);

    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text,
              QStringLiteral("接続完了\r\nISP・端末型ﾀﾞｲﾔﾙｱｯﾌﾟIP接続\r\nISDN回線\r\n10.0.0.5"));
    EXPECT_EQ(f.services.logs, std::vector<LogKind>{LogKind::Connect});
    EXPECT_EQ(f.window.caption(), QStringLiteral("10.0.0.5"));
    EXPECT_EQ(f.core.state.LinkState, LINK_CONNECTED);
    EXPECT_EQ(f.tray.pictures.back(), TRAY_CONNECTED);
    EXPECT_TRUE(f.window.enabled[Command::CmdOut]);
    EXPECT_FALSE(f.window.enabled[Command::CmdIN]);
}

TEST_F(ConnectionTest, SingleAttemptThatLeavesTheLineDownIsAFailureNotASuccess) {
    f.settings.log = 1;
    f.settings.start = 1;
    f.settings.ftp = 1;
    f.settings.terehoStartFtp = 0;
    f.library.connects = false;

    f.core.CommandConnect(true, true);

    EXPECT_EQ(f.library.connectTimes.size(), 1u);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, kFailed);
    EXPECT_TRUE(f.services.logs.empty());
    EXPECT_TRUE(f.services.launches.empty());
    EXPECT_TRUE(f.services.uploads.empty());
}

struct AfterConnectCase {
    int start, terehoStart, ftp, terehoStartFtp;
    bool flatRate;
    bool launches, uploads;
};

TEST_F(ConnectionTest, ProgramsAndUploadFollowTheirSettingsAfterAConnection) {
    const AfterConnectCase cases[] = {
        {1, 0, 1, 0, false, true, true},   {1, 1, 1, 1, false, false, false},
        {1, 1, 1, 1, true, true, true},    {1, 0, 0, 0, false, true, false},
        {0, 0, 1, 0, false, false, false}, {1, 0, 1, 1, false, true, false},
    };
    for (const auto &c : cases) {
        CoreFixture g;
        ASSERT_EQ(g.core.StartUp(), 0);
        g.settings.start = c.start;
        g.settings.terehoStart = c.terehoStart;
        g.settings.ftp = c.ftp;
        g.settings.terehoStartFtp = c.terehoStartFtp;
        g.services.flatRate = c.flatRate;
        g.core.CommandConnect(true, false);
        EXPECT_EQ(!g.services.launches.empty(), c.launches) << &c - cases;
        EXPECT_EQ(g.services.uploads == std::vector<int>{0}, c.uploads) << &c - cases;
    }
}

TEST_F(ConnectionTest, ConnectRefusedAtOnceDoesNotWaitForACompletionThatNeverComes) {
    f.settings.count = QStringLiteral("0");
    f.library.connectStart = KZV_E_BUSY;
    f.core.CommandConnect(false, false);
    EXPECT_TRUE(f.messages.contains(kFailed));
}

TEST_F(ConnectionTest, DisconnectShowsItsMessageUnlessEndIsOne) {
    for (int end : {0, 1}) {
        CoreFixture g;
        ASSERT_EQ(g.core.StartUp(), 0);
        g.core.CommandConnect(true, false);
        ASSERT_TRUE(g.core.state.LineUpFlag);
        g.messages.shown.clear();
        g.settings.standardEnd = end;
        g.settings.log = 1;

        g.core.CommandDisconnect();

        EXPECT_EQ(g.messages.contains(kDisconnected), end == 0) << end;
        EXPECT_EQ(g.core.state.LinkState, LINK_IDLE);
        EXPECT_EQ(g.library.clearCalls, 1);
        EXPECT_EQ(g.services.logs.back(), LogKind::Disconnect);
        EXPECT_EQ(g.services.endProgramsCalls, 1);
        EXPECT_EQ(g.window.caption(), QString());
    }
}

TEST_F(ConnectionTest, DisconnectCompletionHandledDuringTheStatusPollIsNotLost) {
    f.core.CommandConnect(true, false);
    // The completion arrives while the poll after the request pumps events.
    f.library.hangUpMs = 0;
    f.core.CommandDisconnect();
    EXPECT_EQ(f.core.state.LinkState, LINK_IDLE);
    EXPECT_FALSE(f.core.SequenceRunning());
}

TEST_F(ConnectionTest, DisconnectRefusedAtOnceDoesNotHang) {
    f.library.disconnectStart = KZV_E_UNSUPPORTED;
    EXPECT_TRUE(f.core.CommandDisconnect());
    EXPECT_FALSE(f.core.SequenceRunning());
}

TEST_F(ConnectionTest, SequencesNeverNest) {
    f.library.dialMs = 5000;
    bool nestedConnect = true, nestedDisconnect = true, nestedPoll = true;
    f.events.after(1000, [&] {
        nestedConnect = f.core.CommandConnect(false, false);
        nestedDisconnect = f.core.CommandDisconnect();
        nestedPoll = f.core.CommandPollStatus();
    });
    f.core.CommandConnect(true, false);
    EXPECT_FALSE(nestedConnect);
    EXPECT_FALSE(nestedDisconnect);
    EXPECT_FALSE(nestedPoll);
    EXPECT_EQ(f.library.connectTimes.size(), 1u);
    EXPECT_TRUE(f.core.CommandPollStatus());
}

TEST_F(ConnectionTest, NoRouterAddressMeansNoLibraryCallAndAnUnknownLine) {
    f.settings.ip = QStringLiteral("0.0.0.0");
    const int calls = f.library.conditionCalls;
    f.core.PollStatus(0);
    EXPECT_EQ(f.library.conditionCalls, calls);
    EXPECT_EQ(f.core.state.LinkState, LINK_UNKNOWN);
    EXPECT_EQ(f.tray.pictures.back(), TRAY_UNKNOWN);
    EXPECT_EQ(f.core.FindSelectedRouter(), 0);
}

TEST_F(ConnectionTest, PollWaitsTwoSecondsOnlyWhileACompletionIsOutstanding) {
    f.core.state.DoneFlag = true;
    std::int64_t before = f.clock.now;
    f.core.PollStatus(0);
    EXPECT_EQ(f.clock.now, before);
    f.core.state.DoneFlag = false;
    before = f.clock.now;
    f.core.PollStatus(0);
    EXPECT_EQ(f.clock.now - before, 2000);
}

TEST_F(ConnectionTest, TheRouterNamedByIpIsChosenAgainAfterARediscovery) {
    CoreFixture g;
    g.settings.ip = QStringLiteral("192.168.0.2");
    g.library.routers = {0xC0A80001, 0xC0A80002};
    ASSERT_EQ(g.core.StartUp(), 0);
    EXPECT_EQ(g.core.state.SelectedRouter, 1);

    g.library.routers = {0xC0A80002, 0xC0A80001};
    ASSERT_TRUE(g.core.CommandRediscover());
    EXPECT_EQ(g.core.state.SelectedRouter, 0);
    g.core.CommandConnect(true, false);
    EXPECT_EQ(g.library.connectedAddresses, std::vector<std::uint32_t>{0xC0A80002});
}

TEST_F(ConnectionTest, RefreshShowsTheCounterTheAddressAndTheDestination) {
    std::strcpy(f.library.ex.site_names[1], "ISP-B");
    f.library.ex.selected_site = 1;
    f.settings.count = QStringLiteral("12");
    f.window.countTexts.clear();
    f.core.RefreshMainWindow();
    EXPECT_EQ(f.window.countTexts.back(), QStringLiteral("  0/12"));
    EXPECT_EQ(f.window.ipText, QStringLiteral("192.168.0.1"));
    EXPECT_EQ(f.window.status, QStringLiteral("ISP-B"));
}

} // namespace
} // namespace tarvo::testing
