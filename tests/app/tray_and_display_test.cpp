#include "core_fakes.h"

#include <gtest/gtest.h>

namespace tarvo::testing {
namespace {

TEST(TrayRetryTest, NoTrayIsRetriedEveryFiveSecondsTenTimesThenGivenUp) {
    CoreFixture f;
    f.tray.available = false;
    f.core.Main();
    EXPECT_EQ(f.window.iconTimer, 5000);
    EXPECT_EQ(f.core.state.TrayRetryCount, 1);
    int ticks = 0;
    while (f.window.iconTimer != 0 && ticks < 20) {
        f.core.TimerIconTick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 10);
    EXPECT_EQ(f.tray.addCalls, 11);
}

TEST(TrayRetryTest, ATrayThatAppearsStopsTheRetriesAndGetsTheLinePicture) {
    CoreFixture f;
    f.tray.available = false;
    f.core.Main();
    f.core.TimerIconTick();
    f.tray.available = true;
    f.core.TimerIconTick();
    EXPECT_EQ(f.window.iconTimer, 0);
    EXPECT_TRUE(f.tray.present);
    EXPECT_EQ(f.tray.pictures.back(), TRAY_IDLE);
}

TEST(TrayMouseTest, LeftClickTogglesBetweenWindowAndTray) {
    CoreFixture f;
    f.core.Main();
    f.core.HookWindow();
    f.windowMessages.post(MSG_TRAY, 1, WM_LBUTTONDOWN);
    EXPECT_EQ(f.window.state, WindowState::Minimized);
    EXPECT_FALSE(f.window.visible);
    EXPECT_TRUE(f.window.enabled[Command::TrayShow]);
    EXPECT_FALSE(f.window.enabled[Command::TrayHide]);

    f.windowMessages.post(MSG_TRAY, 1, WM_LBUTTONDOWN);
    EXPECT_EQ(f.window.state, WindowState::Normal);
    EXPECT_TRUE(f.window.visible);
    EXPECT_FALSE(f.window.enabled[Command::TrayShow]);
    EXPECT_TRUE(f.window.enabled[Command::TrayHide]);
}

TEST(TrayMouseTest, RightClickOnIconOneShowsTheWindowAndTheTrayMenu) {
    CoreFixture f;
    f.core.Main();
    f.windowMessages.post(MSG_TRAY, 2, WM_RBUTTONDOWN);
    EXPECT_EQ(f.window.trayMenus, 0);
    f.windowMessages.post(MSG_TRAY, 1, WM_RBUTTONDOWN);
    EXPECT_EQ(f.window.trayMenus, 1);
    EXPECT_TRUE(f.window.visible);
}

TEST(DisplayModeTest, HideDoesNothingWhileAnotherWindowOfTheProgramIsActive) {
    CoreFixture f;
    f.core.Main();
    f.window.active = false;
    f.core.HideToTray();
    EXPECT_EQ(f.window.state, WindowState::Normal);
    f.window.active = true;
    f.core.HideToTray();
    EXPECT_EQ(f.window.state, WindowState::Minimized);
}

TEST(DisplayModeTest, MinimisedWindowLeavesOnlyTheTray) {
    CoreFixture f;
    f.core.Main();
    f.window.state = WindowState::Minimized;
    f.core.WindowResized();
    EXPECT_FALSE(f.window.visible);
    EXPECT_TRUE(f.window.enabled[Command::TrayShow]);
    f.core.ShowWindowNormal();
    EXPECT_EQ(f.window.state, WindowState::Normal);
    EXPECT_TRUE(f.window.visible);
}

TEST(HelpTest, OpensTheHelpFileBesideTheProgramAndReportsAFailure) {
    CoreFixture f;
    f.core.Main();
    f.help.failure = QStringLiteral("ヘルプを表示できません。");
    f.core.ShowHelp();
    EXPECT_EQ(f.help.opened, QStringLiteral("/opt/tarvo/help/index.html"));
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, QStringLiteral("ヘルプを表示できません。"));
}

} // namespace
} // namespace tarvo::testing
