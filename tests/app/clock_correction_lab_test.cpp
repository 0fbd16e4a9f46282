// The clock correction on real sockets: a DAYTIME server on the lab's router host answers for
// every public time server name (the lab's hosts file maps them there), and the clock is set
// through a mock timedated on a private bus. Run by lab.sh with daytime-setup.sh and pc-hosts.sh.
#include "clock_correction.h"
#include "core_fakes.h"
#include "mock_bus.h"
#include "system_clocks.h"
#include "tcp_daytime_connection.h"
#include "time_servers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostInfo>
#include <gtest/gtest.h>

namespace tarvo::testing {
namespace {

const QString kTimedate = QStringLiteral("org.freedesktop.timedate1");

class FakeQueryTimer : public QueryTimer {
  public:
    int period = 0;
    void setPeriod(int periodMs) override { period = periodMs; }
};

// Counts the requests the system has not answered yet: timedated answers on its own time.
class AnswerCountingClock : public SystemClock {
  public:
    explicit AnswerCountingClock(SystemClock &inner) : inner_(inner) {}
    int outstanding = 0;
    void setLocal(const QDate &date, const QTime &time, Done done) override {
        ++outstanding;
        inner_.setLocal(date, time, [this, done](bool set) {
            --outstanding;
            if (done) done(set);
        });
    }

  private:
    SystemClock &inner_;
};

QByteArray nist(const char *date, const char *time) {
    return QByteArray("\n59189 ") + date + ' ' + time + " 00 0 0  50.0 UTC(NIST) * \n";
}

QDateTime at(int y, int mo, int d, int h, int mi, int s = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

QString setTimeCall(const QDateTime &local) {
    return QStringLiteral("SetTime %1 False False")
        .arg(LocalToEpochMicroseconds(local.date(), local.time()));
}

class ClockCorrectionLabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString why = bus.start(QStringLiteral("timedated"), kTimedate);
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
        bus.clearCalls();
        systemClock = std::make_unique<TimedatedClock>(bus.bus());
        counting = std::make_unique<AnswerCountingClock>(*systemClock);
        clock = std::make_unique<ClockCorrection>(
            ClockCorrection::Ports{connection, timer, wall, time, *counting, settings});
        connection.dataArrived = [this](const QByteArray &data) { clock->DataArrival(data); };
        clock->FillServerList();
    }
    void TearDown() override { QFile::remove(replyFile()); }

    static QString replyFile() { return qEnvironmentVariable("QS_LAB_DAYTIME_REPLY"); }
    static void serverAnswers(const QByteArray &reply) {
        QFile file(replyFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reply);
    }
    // Real time passes on the wire; the fake clock only keeps the 4-second rule satisfied.
    bool startQuery(const QDateTime &pc, int index = 0) {
        time.now += ClockCorrection::kSameServerPauseMs;
        wall.set(pc);
        return clock->CorrectClock(index);
    }
    bool waitForAnswer(int ms = 10000) {
        QElapsedTimer waited;
        waited.start();
        // The reply, and timedated's answer to the clock setting it may have led to.
        while ((clock->TimeQueryBusy || counting->outstanding > 0) && waited.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return !clock->TimeQueryBusy && counting->outstanding == 0;
    }
    void settle(int ms) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    MockBus bus;
    FakeClock time;
    FakeWallClock wall{time};
    FakeSettings settings;
    TcpDaytimeConnection connection;
    FakeQueryTimer timer;
    std::unique_ptr<TimedatedClock> systemClock;
    std::unique_ptr<AnswerCountingClock> counting;
    std::unique_ptr<ClockCorrection> clock;
};

TEST_F(ClockCorrectionLabTest, ExamplesSetTheClockOnlyWhenItIsOffByTheThreshold) {
    const struct {
        int watchTime3;
        const char *date;
        const char *time;
        QDateTime pc;
        std::optional<QDateTime> set;
    } cases[] = {
        {10, "20-12-06", "03:00:00", at(2020, 12, 6, 12, 5), std::nullopt},
        {10, "20-12-06", "03:00:00", at(2020, 12, 6, 12, 10), at(2020, 12, 6, 12, 0)},
        {0, "20-12-06", "03:00:00", at(2020, 12, 6, 12, 0), at(2020, 12, 6, 12, 0)},
        {10, "20-12-06", "23:30:00", at(2020, 12, 6, 23, 30), at(2020, 12, 7, 8, 30)},
    };
    settings.zisa = 9;
    int index = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.pc.toString(Qt::ISODate).toStdString());
        settings.watchTime3 = c.watchTime3;
        serverAnswers(nist(c.date, c.time));
        bus.clearCalls();
        ASSERT_TRUE(startQuery(c.pc, index++));
        ASSERT_TRUE(waitForAnswer());
        EXPECT_EQ(bus.calls(), c.set ? QStringList{setTimeCall(*c.set)} : QStringList{});
    }
}

TEST_F(ClockCorrectionLabTest, GarbageAndShortRepliesLeaveTheClockAlone) {
    settings.watchTime3 = 0;
    int index = 3;
    for (const QByteArray &reply : {QByteArray("HTTP/1.0 400 Bad Request\r\n\r\n"),
                                    QByteArray("\n59189 20-12-06 03:0"), QByteArray("\n")}) {
        serverAnswers(reply);
        ASSERT_TRUE(startQuery(at(2020, 12, 6, 1, 0), index++));
        ASSERT_TRUE(waitForAnswer());
        EXPECT_EQ(timer.period, 0);
    }
    EXPECT_TRUE(bus.calls().isEmpty());
}

TEST_F(ClockCorrectionLabTest, ASilentServerIsLeftAtTheTimeOutAndTheNextCycleQueriesAgain) {
    settings.watchTime3 = 0;
    serverAnswers(QByteArray());
    ASSERT_TRUE(startQuery(at(2020, 12, 6, 12, 0), 7));
    EXPECT_EQ(timer.period, 60000);
    EXPECT_FALSE(waitForAnswer(1000));
    EXPECT_FALSE(clock->CorrectClock(8)); // one query at a time

    time.now += 60000;
    clock->TimerWatch3Tick();
    EXPECT_FALSE(clock->TimeQueryBusy);
    EXPECT_EQ(timer.period, 0);

    serverAnswers(nist("20-12-06", "03:00:00"));
    ASSERT_TRUE(startQuery(at(2020, 12, 6, 13, 0), 7));
    ASSERT_TRUE(waitForAnswer());
    EXPECT_EQ(bus.calls(), QStringList{setTimeCall(at(2020, 12, 6, 12, 0))});
}

TEST_F(ClockCorrectionLabTest, TheTestModeShowsTheRawReplyAndLeavesTheClockAlone) {
    settings.watchTime3 = 0;
    const QByteArray reply = nist("20-12-06", "03:00:00");
    serverAnswers(reply);
    QString shown = QStringLiteral("previous");
    clock->clearTestReply = [&] { shown.clear(); };
    clock->showTestReply = [&](const QString &text) { shown = text; };
    ASSERT_TRUE(clock->StartTest(15));
    EXPECT_TRUE(shown.isEmpty());
    ASSERT_TRUE(waitForAnswer());
    EXPECT_EQ(shown.toLatin1(), reply);
    EXPECT_TRUE(bus.calls().isEmpty());
    EXPECT_FALSE(clock->TimeTestMode);
}

TEST_F(ClockCorrectionLabTest, TheServersOwnNistReplyOfTheTimeNowIsRead) {
    settings.watchTime3 = 0;
    QFile::remove(replyFile());
    ASSERT_TRUE(startQuery(at(2020, 12, 6, 12, 0), 16));
    ASSERT_TRUE(waitForAnswer());
    ASSERT_EQ(bus.calls().size(), 1);
    EXPECT_TRUE(bus.calls().first().startsWith(QStringLiteral("SetTime ")));
}

} // namespace
} // namespace tarvo::testing

namespace {
constexpr int kSkipped = 77;

// Before any query: every name the program may ask must resolve to the lab's server, so that
// no query can leave the lab, whatever the machine's own resolver would say.
bool sameBytes(const QString &a, const QString &b) {
    QFile fa(a), fb(b);
    return fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly) &&
           fa.readAll() == fb.readAll();
}

bool namesStayInTheLab() {
    const QString lab = qEnvironmentVariable("QS_LAB_DAYTIME_ADDRESS");
    if (lab.isEmpty()) return false;
    // Not even a lookup of those names may leave the lab: resolve nothing unless the lab's hosts
    // file and its files-only name service are the ones in force.
    if (!sameBytes(QStringLiteral("/etc/hosts"), qEnvironmentVariable("QS_LAB_HOSTS")) ||
        !sameBytes(QStringLiteral("/etc/nsswitch.conf"), qEnvironmentVariable("QS_LAB_NSSWITCH"))) {
        std::fprintf(stderr, "the lab's hosts file is not in force (run under pc-hosts.sh)\n");
        return false;
    }
    for (std::string_view name : tarvo::kTimeServers) {
        const QHostInfo info = QHostInfo::fromName(QString::fromLatin1(name.data(), name.size()));
        const QList<QHostAddress> addresses = info.addresses();
        if (addresses.size() != 1 || addresses.first().toString() != lab) {
            std::fprintf(stderr, "%.*s does not resolve to the lab's %s only\n",
                         static_cast<int>(name.size()), name.data(), qPrintable(lab));
            return false;
        }
    }
    return true;
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const bool required = qEnvironmentVariableIntValue("QS_LAB_REQUIRE") == 1;
    if (qEnvironmentVariable("QS_LAB") != QStringLiteral("1")) {
        std::fprintf(stderr, "clock_correction_lab_test: runs only inside the lab\n");
        return required ? 1 : kSkipped;
    }
    if (!namesStayInTheLab()) return 1;
    {
        tarvo::testing::MockBus probe;
        if (const QString why = probe.start(QStringLiteral("timedated"),
                                            QStringLiteral("org.freedesktop.timedate1"));
            !why.isEmpty()) {
            std::fprintf(stderr, "clock_correction_lab_test: %s\n", qPrintable(why));
            return required ? 1 : kSkipped;
        }
    }
    return RUN_ALL_TESTS();
}
