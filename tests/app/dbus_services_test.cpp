// The end actions and the clock setting as logind and timedated receive them, each on a private
// bus with python3-dbusmock's template.
#include "core_fakes.h"
#include "end_windows.h"
#include "logind_session_end.h"
#include "mock_bus.h"
#include "system_clocks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

namespace tarvo::testing {
namespace {

const QString kLogin = QStringLiteral("org.freedesktop.login1");

class EndActionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString why = bus.start(QStringLiteral("logind"), kLogin);
        if (!why.isEmpty()) {
            if (qEnvironmentVariableIntValue("QS_LAB_REQUIRE") == 1) FAIL() << why.toStdString();
            GTEST_SKIP() << why.toStdString();
        }
        // The template declares KillSession with a string signal; logind's takes an int32.
        ASSERT_TRUE(bus.addMethod(kLogin, QStringLiteral("/org/freedesktop/login1"),
                                  QStringLiteral("org.freedesktop.login1.Manager"),
                                  QStringLiteral("KillSession"), QStringLiteral("ssi"), {}));
        bus.clearCalls();
    }
    MockBus bus;
};

TEST_F(EndActionsTest, EachEndOptionReachesLogindAsItsMethodAndPowerOffWins) {
    // EndType1 to EndType5: "POWEROFF", "LOGOFF", "REBOOT", "FORCE", "SHUTDOWN".
    const struct {
        std::array<int, 5> endTypes;
        const char *call;
    } cases[] = {
        {{-1, 0, 0, 0, 0}, "PowerOff False"}, {{0, -1, 0, 0, 0}, "TerminateSession \"auto\""},
        {{0, 0, -1, 0, 0}, "Reboot False"},   {{0, 0, 0, -1, 0}, "KillSession \"auto\" \"all\" 9"},
        {{0, 0, 0, 0, -1}, "PowerOff False"}, {{-1, -1, 0, 0, 0}, "PowerOff False"},
    };
    LogindSessionEnd end(bus.bus());
    for (const auto &c : cases) {
        bus.clearCalls();
        FakeSettings settings;
        settings.endType = c.endTypes;
        EndWindows(settings, end);
        end.waitForAnswers();
        EXPECT_EQ(bus.calls(), QStringList{QString::fromUtf8(c.call)});
    }
}

TEST_F(EndActionsTest, ARefusalIsNotReportedAndReturns) {
    QDBusMessage refuse = QDBusMessage::createMethodCall(
        kLogin, QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("AddMethod"));
    refuse << QStringLiteral("org.freedesktop.login1.Manager") << QStringLiteral("PowerOff")
           << QStringLiteral("b") << QString()
           << QStringLiteral("raise dbus.exceptions.DBusException('Access denied', "
                             "name='org.freedesktop.DBus.Error.AccessDenied')");
    ASSERT_EQ(bus.bus().call(refuse).type(), QDBusMessage::ReplyMessage);
    LogindSessionEnd end(bus.bus());
    end.request(EndRequest::PowerOff);
    end.waitForAnswers();
    EXPECT_EQ(end.pending(), 0);
    ASSERT_FALSE(bus.calls().isEmpty());
    EXPECT_TRUE(bus.calls().first().startsWith(QStringLiteral("PowerOff")));
}

// Replaces a method of the mock by one that answers only after `seconds`.
bool answerSlowly(MockBus &bus, const QString &service, const QString &path,
                  const QString &interface, const QString &method, const QString &in,
                  double seconds) {
    QDBusMessage slow = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("AddMethod"));
    slow << interface << method << in << QString()
         << QStringLiteral("__import__('time').sleep(%1)").arg(seconds);
    return bus.bus().call(slow).type() == QDBusMessage::ReplyMessage;
}

// Counts the event loop's passes while `busy` holds: a frozen loop counts none.
int loopPassesWhile(const std::function<bool()> &busy, int limitMs) {
    int passes = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&passes] { ++passes; });
    beat.start(50);
    QElapsedTimer waited;
    waited.start();
    while (busy() && waited.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return passes;
}

TEST_F(EndActionsTest, ASlowLogindDoesNotHoldTheProgramUpAndStillGetsTheRequest) {
    ASSERT_TRUE(answerSlowly(bus, kLogin, QStringLiteral("/org/freedesktop/login1"),
                             QStringLiteral("org.freedesktop.login1.Manager"),
                             QStringLiteral("PowerOff"), QStringLiteral("b"), 1.5));
    bus.clearCalls();
    LogindSessionEnd end(bus.bus());
    QElapsedTimer asked;
    asked.start();
    end.request(EndRequest::PowerOff);
    EXPECT_LT(asked.elapsed(), 500);
    EXPECT_EQ(end.pending(), 1);
    // The window and the tray keep being served while logind thinks.
    EXPECT_GE(loopPassesWhile([&] { return end.pending() > 0; }, 5000), 10);
    EXPECT_EQ(end.pending(), 0);
    EXPECT_EQ(bus.calls(), QStringList{QStringLiteral("PowerOff False")});
}

TEST_F(EndActionsTest, TheProgramEndingRightAfterTheRequestDoesNotLoseIt) {
    ASSERT_TRUE(answerSlowly(bus, kLogin, QStringLiteral("/org/freedesktop/login1"),
                             QStringLiteral("org.freedesktop.login1.Manager"),
                             QStringLiteral("TerminateSession"), QStringLiteral("s"), 0.5));
    bus.clearCalls();
    {
        LogindSessionEnd end(bus.bus());
        end.request(EndRequest::LogOff);
    } // no event loop ran: the port goes away at once, as it does at shutdown
    EXPECT_EQ(bus.calls(), QStringList{QStringLiteral("TerminateSession \"auto\"")});
}

TEST(EndActionsNoBusTest, NoLogindAtAllReturnsQuietly) {
    QDBusConnection nowhere = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/tarvo-test-bus"), QStringLiteral("nowhere"));
    LogindSessionEnd end(nowhere);
    end.request(EndRequest::PowerOff);
    end.waitForAnswers();
    EXPECT_EQ(end.pending(), 0);
}

// What a clock said, once it has said it.
struct Answer {
    std::optional<bool> set;
    SystemClock::Done done() {
        return [this](bool ok) { set = ok; };
    }
    bool wait(int limitMs = 10000) {
        QElapsedTimer waited;
        waited.start();
        while (!set && waited.elapsed() < limitMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return set.has_value();
    }
};

TEST(TimedatedClockTest, SetsTheLocalTimeAsAbsoluteMicrosecondsWithoutPrompting) {
    MockBus bus;
    const QString why =
        bus.start(QStringLiteral("timedated"), QStringLiteral("org.freedesktop.timedate1"));
    if (!why.isEmpty()) GTEST_SKIP() << why.toStdString();
    bus.clearCalls();
    TimedatedClock clock(bus.bus());
    const QDate date(2020, 12, 7);
    const QTime time(8, 30, 0);
    Answer answer;
    clock.setLocal(date, time, answer.done());
    ASSERT_TRUE(answer.wait());
    EXPECT_TRUE(*answer.set);
    const qint64 us = QDateTime(date, time, Qt::LocalTime).toMSecsSinceEpoch() * 1000;
    EXPECT_EQ(bus.calls(), QStringList{QStringLiteral("SetTime %1 False False").arg(us)});
}

TEST(TimedatedClockTest, NoTimedatedIsARefusal) {
    QDBusConnection nowhere = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/tarvo-test-bus"), QStringLiteral("nowhere2"));
    TimedatedClock clock(nowhere);
    Answer answer;
    clock.setLocal(QDate(2020, 1, 1), QTime(0, 0), answer.done());
    ASSERT_TRUE(answer.wait());
    EXPECT_FALSE(*answer.set);
}

TEST(TimedatedClockTest, ASlowTimedatedKeepsTheEventLoopRunning) {
    MockBus bus;
    const QString timedate = QStringLiteral("org.freedesktop.timedate1");
    const QString why = bus.start(QStringLiteral("timedated"), timedate);
    if (!why.isEmpty()) GTEST_SKIP() << why.toStdString();
    ASSERT_TRUE(answerSlowly(bus, timedate, QStringLiteral("/org/freedesktop/timedate1"), timedate,
                             QStringLiteral("SetTime"), QStringLiteral("xbb"), 1.5));
    TimedatedClock clock(bus.bus());
    Answer answer;
    QElapsedTimer asked;
    asked.start();
    clock.setLocal(QDate(2020, 12, 7), QTime(8, 30), answer.done());
    EXPECT_LT(asked.elapsed(), 500);
    EXPECT_FALSE(answer.set.has_value());
    EXPECT_GE(loopPassesWhile([&] { return !answer.set; }, 5000), 10);
    ASSERT_TRUE(answer.set.has_value());
    EXPECT_TRUE(*answer.set);
}

// A clock that answers when the test says so.
class LaterClock : public SystemClock {
  public:
    std::vector<QDateTime> asked;
    Done pending;
    void setLocal(const QDate &date, const QTime &time, Done done) override {
        asked.emplace_back(date, time, Qt::LocalTime);
        pending = std::move(done);
    }
};

TEST(FallbackClockTest, TheSecondClockGetsTheTimeMovedOnByTheFirstOnesRefusal) {
    auto first = std::make_unique<LaterClock>();
    auto second = std::make_unique<LaterClock>();
    LaterClock &a = *first;
    LaterClock &b = *second;
    FallbackClock clock(std::move(first), std::move(second));
    const QDateTime target(QDate(2020, 12, 7), QTime(8, 30), Qt::LocalTime);

    Answer accepted;
    clock.setLocal(target.date(), target.time(), accepted.done());
    ASSERT_TRUE(a.pending);
    a.pending(true);
    EXPECT_EQ(accepted.set, std::optional<bool>(true));
    EXPECT_TRUE(b.asked.empty());

    Answer refused;
    clock.setLocal(target.date(), target.time(), refused.done());
    QThread::msleep(300);
    a.pending(false);
    ASSERT_EQ(b.asked.size(), 1u);
    const qint64 moved = target.msecsTo(b.asked[0]);
    EXPECT_GE(moved, 300);
    EXPECT_LT(moved, 2000);
    EXPECT_FALSE(refused.set.has_value()); // the second has not answered yet
    b.pending(false);
    EXPECT_EQ(refused.set, std::optional<bool>(false));
}

} // namespace
} // namespace tarvo::testing

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
