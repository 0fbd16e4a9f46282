#include "core_fakes.h"

#include <gtest/gtest.h>

namespace tarvo::testing {
namespace {

TEST(StartUpTest, MissingLibraryWarnsAndEndsWithoutCleanupOrMainWindow) {
    CoreFixture f;
    f.library.missing = true;

    f.core.Main();

    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text,
              QStringLiteral("必要なＤＬＬ(libQuaystone.so)ファイルが見つかりません。"));
    EXPECT_EQ(f.messages.shown[0].title, QStringLiteral("警告：Tarvo"));
    EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(f.core.state.LibraryMissing);
    EXPECT_EQ(f.library.cleanupCalls, 0);
    EXPECT_EQ(f.window.placed, 0);
    EXPECT_EQ(f.settings.loads, 0);
    EXPECT_EQ(f.services.quits, 1);
    EXPECT_FALSE(f.tray.present);
}

TEST(StartUpTest, NoRouterAnsweringWaitsTenSecondsThenShowsAnEmptyTable) {
    CoreFixture f;
    f.library.findAnswers = false;
    f.library.routers.clear();

    f.core.Main();

    EXPECT_GE(f.clock.now, 10000);
    EXPECT_LT(f.clock.now, 10000 + 2000 + 1); // plus the first poll's own wait
    EXPECT_EQ(f.core.state.RouterCount, 0);
    EXPECT_EQ(f.window.placed, 1);
    EXPECT_TRUE(f.window.visible);
}

TEST(StartUpTest, DiscoveryPicksTheConfiguredRouterAndShowsTheWindowAtItsPlace) {
    CoreFixture f;
    f.settings.ip = QStringLiteral("192.168.0.9");
    f.library.routers = {0xC0A80001, 0xC0A80009};
    f.settings.topDisp1 = 1;

    f.core.Main();

    EXPECT_LT(f.clock.now, 1000);
    EXPECT_EQ(f.settings.loads, 1);
    EXPECT_EQ(f.core.state.SelectedRouter, 1);
    EXPECT_EQ(f.core.state.LinkState, LINK_IDLE);
    EXPECT_EQ(f.core.state.Notify.window, 77u);
    EXPECT_EQ(f.window.geometry.topLeft(), QPoint(100, 60));
    EXPECT_TRUE(f.window.topmost);
    EXPECT_EQ(f.tray.pictures.back(), TRAY_IDLE);
    EXPECT_EQ(f.window.ipText, QStringLiteral("192.168.0.9"));
}

TEST(StartUpTest, HyouziOneShowsTheWindowAndThenMinimisesIt) {
    CoreFixture f;
    f.settings.hyouzi = 1;
    f.core.Main();
    EXPECT_EQ(f.window.placed, 1);
    EXPECT_EQ(f.window.state, WindowState::Minimized);
}

TEST(WindowHookTest, CompletionsSetTheDoneFlagOnlyWhileHooked) {
    CoreFixture f;
    f.core.HookWindow();
    for (std::uint32_t m : {MSG_FIND_DONE, MSG_CONNECT_DONE, MSG_DISCONNECT_DONE}) {
        f.core.state.DoneFlag = false;
        f.windowMessages.post(m, -108, 4);
        EXPECT_TRUE(f.core.state.DoneFlag) << m;
    }
    f.core.state.DoneFlag = false;
    f.windowMessages.post(1035);
    EXPECT_FALSE(f.core.state.DoneFlag);
    f.core.UnhookWindow();
    f.windowMessages.post(MSG_CONNECT_DONE);
    EXPECT_FALSE(f.core.state.DoneFlag);
}

TEST(PlaceWindowTest, TwipsBecomePixelsAndTheSizeIsKept) {
    CoreFixture f;
    f.cancelWindow.geometry = QRect(0, 0, 200, 80);
    f.core.PlaceWindow(f.cancelWindow, true, 1500, 900);
    EXPECT_EQ(f.cancelWindow.geometry, QRect(100, 60, 200, 80));
    EXPECT_TRUE(f.cancelWindow.topmost);
}

TEST(ShutDownTest, CleansUpTheLibraryRemovesTheTrayAndEndsWaits) {
    CoreFixture f;
    f.core.Main();
    f.core.ShutDown();
    EXPECT_TRUE(f.core.state.ExitInProgress);
    EXPECT_TRUE(f.core.state.CancelFlag);
    EXPECT_TRUE(f.core.state.DoneFlag);
    EXPECT_EQ(f.library.cleanupCalls, 1);
    EXPECT_FALSE(f.windowMessages.hooked());
    EXPECT_FALSE(f.tray.present);
    EXPECT_FALSE(f.cancelWindow.loaded);
    EXPECT_EQ(f.cancelWindow.unloads, 1);
    EXPECT_TRUE(f.window.unloaded);
    EXPECT_EQ(f.services.quits, 1);
    EXPECT_EQ(f.services.endProgramsCalls, 1);
    f.core.ShutDown();
    EXPECT_EQ(f.library.cleanupCalls, 1);
}

TEST(ShutDownTest, ShutdownDuringADialEndsTheSequenceWithoutTouchingTheLibraryAgain) {
    CoreFixture f;
    f.core.Main();
    f.library.dialMs = 60000;
    f.events.after(1000, [&] { f.core.MainWindowCloseRequested(); });
    f.core.CommandConnect(false, true);
    const int polls = f.library.conditionCalls;
    EXPECT_EQ(f.library.cleanupCalls, 1);
    EXPECT_EQ(f.library.conditionCalls, polls);
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_FALSE(f.core.CommandPollStatus());
}

TEST(ShutDownTest, ShutdownDuringTheStartUpSearchEndsStartUpWithoutTheWindowOrTheLibrary) {
    CoreFixture f;
    f.library.findMs = 5000;
    f.events.after(1000, [&] { f.core.ShutDown(); });
    f.core.Main();
    EXPECT_EQ(f.library.cleanupCalls, 1);
    EXPECT_EQ(f.library.callsAfterCleanup, 0);
    EXPECT_EQ(f.window.placed, 0);
    EXPECT_FALSE(f.tray.present);
}

TEST(ShutDownTest, AnErrorDuringShutdownWarnsAndTerminatesAtOnce) {
    CoreFixture f;
    f.core.Main();
    f.services.failOnStopMonitor = true;
    f.core.ShutDown();
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text,
              QStringLiteral("メモリーにゴミが残りました。\r\n強制終了させます。"));
    EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Stop);
    EXPECT_EQ(f.services.terminations, 1);
}

} // namespace
} // namespace tarvo::testing
