// What closing the dialog does to the running program: the router choice is taken up at once,
// or, while a dial or hang-up runs, as soon as it is over, never under it.
#include "clock_correction.h"
#include "core_fakes.h"
#include "option_host.h"

#include <QTest>
#include <gtest/gtest.h>

namespace tarvo::testing {
namespace {

struct NoConnection : DaytimeConnection {
    void connectToHost(const QString &, unsigned short) override {}
    void close() override {}
};
struct NoTimer : QueryTimer {
    void setPeriod(int) override {}
};
struct NoSystemClock : SystemClock {
    void setLocal(const QDate &, const QTime &, Done done) override {
        if (done) done(false);
    }
};

struct HostFixture : CoreFixture {
    HostFixture() {
        core.state.RouterTable[0].address = 0xC0A80001;
        core.state.RouterTable[1].address = 0xC0A80002;
        core.state.RouterCount = 2;
        core.state.DoneFlag = true;
        settings.ip = QStringLiteral("192.168.0.2");
    }
    NoConnection connection;
    NoTimer timer;
    FakeWallClock wallClock{clock};
    NoSystemClock systemClock;
    ClockCorrection clockCorrection{
        ClockCorrection::Ports{connection, timer, wallClock, clock, systemClock, settings}};
    ProgramOptionHost host{core, window, {}, messages, clockCorrection, services};
};

TEST(OptionHost, ClosingTakesTheRouterChoiceAtOnceWhenTheLineIsQuiet) {
    HostFixture f;
    const int polls = f.library.conditionCalls;
    f.host.dialogClosed();
    EXPECT_EQ(f.core.state.SelectedRouter, 1);
    EXPECT_EQ(f.window.ipText, "192.168.0.2");
    EXPECT_GT(f.library.conditionCalls, polls) << "the line is read again";
    EXPECT_EQ(f.window.shows, 1);
}

TEST(OptionHost, ClosingDuringADialWaitsUntilTheDialIsOver) {
    HostFixture f;
    ASSERT_TRUE(f.core.RunSequence([&] {
        f.host.dialogClosed();
        EXPECT_EQ(f.core.state.SelectedRouter, 0) << "the running sequence keeps its router";
        EXPECT_EQ(f.window.shows, 1) << "the main window is shown at once all the same";
    }));
    EXPECT_EQ(f.core.state.SelectedRouter, 0);
    // The retry runs on the event loop; give it time even on a loaded machine.
    for (int waited = 0; f.core.state.SelectedRouter != 1 && waited < 10000; waited += 50)
        QTest::qWait(50);
    EXPECT_EQ(f.core.state.SelectedRouter, 1);
    EXPECT_EQ(f.window.ipText, "192.168.0.2");
    // And the schedule is not held up afterwards: the next sequence runs.
    EXPECT_TRUE(f.core.RunSequence([] {}));
}

TEST(OptionHost, LookingUpAtOpeningLeavesARunningSequenceAlone) {
    HostFixture f;
    f.core.RunSequence([&] { f.host.lookUpSelectedRouter(); });
    EXPECT_EQ(f.core.state.SelectedRouter, 0);
    f.host.lookUpSelectedRouter();
    EXPECT_EQ(f.core.state.SelectedRouter, 1);
}

TEST(OptionHost, WarningsAreErrorBoxes) {
    HostFixture f;
    f.host.showWarning(QStringLiteral("FTP設定項目に未入力があります。"), kWarningTitle);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Stop);
    EXPECT_EQ(f.messages.shown[0].title, kWarningTitle);
}

} // namespace
} // namespace tarvo::testing
