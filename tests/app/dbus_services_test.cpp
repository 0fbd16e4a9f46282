// The end actions and the clock setting as logind and timedated receive them, each on a private
// bus with python3-dbusmock's template.
#include "core_fakes.h"
#include "end_windows.h"
#include "logind_session_end.h"
#include "mock_bus.h"
#include "system_clocks.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

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
    ASSERT_FALSE(bus.calls().isEmpty());
    EXPECT_TRUE(bus.calls().first().startsWith(QStringLiteral("PowerOff")));
}

TEST(EndActionsNoBusTest, NoLogindAtAllReturnsQuietly) {
    QDBusConnection nowhere = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/tarvo-test-bus"), QStringLiteral("nowhere"));
    LogindSessionEnd end(nowhere);
    end.request(EndRequest::PowerOff);
    SUCCEED();
}

TEST(TimedatedClockTest, SetsTheLocalTimeAsAbsoluteMicrosecondsWithoutPrompting) {
    MockBus bus;
    const QString why =
        bus.start(QStringLiteral("timedated"), QStringLiteral("org.freedesktop.timedate1"));
    if (!why.isEmpty()) GTEST_SKIP() << why.toStdString();
    bus.clearCalls();
    TimedatedClock clock(bus.bus());
    const QDate date(2020, 12, 7);
    const QTime time(8, 30, 0);
    EXPECT_TRUE(clock.setLocal(date, time));
    const qint64 us = QDateTime(date, time, Qt::LocalTime).toMSecsSinceEpoch() * 1000;
    EXPECT_EQ(bus.calls(), QStringList{QStringLiteral("SetTime %1 False False").arg(us)});
}

TEST(TimedatedClockTest, NoTimedatedIsARefusal) {
    QDBusConnection nowhere = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/tarvo-test-bus"), QStringLiteral("nowhere2"));
    EXPECT_FALSE(TimedatedClock(nowhere).setLocal(QDate(2020, 1, 1), QTime(0, 0)));
}

} // namespace
} // namespace tarvo::testing

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
