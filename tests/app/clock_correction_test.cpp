#include "clock_correction.h"
#include "core_fakes.h"
#include "daytime_reply.h"
#include "time_servers.h"

#include <gtest/gtest.h>
#include <set>

namespace tarvo::testing {
namespace {

class FakeConnection : public DaytimeConnection {
  public:
    std::vector<QString> hosts;
    std::vector<unsigned short> ports;
    int closes = 0;
    bool open = false;
    void connectToHost(const QString &host, unsigned short port) override {
        hosts.push_back(host);
        ports.push_back(port);
        open = true;
    }
    void close() override {
        ++closes;
        open = false;
    }
};

class FakeQueryTimer : public QueryTimer {
  public:
    int period = 0;
    void setPeriod(int periodMs) override { period = periodMs; }
};

class FakeSystemClock : public SystemClock {
  public:
    bool refuses = false;
    std::vector<QDateTime> set;
    void setLocal(const QDate &date, const QTime &time, Done done) override {
        set.emplace_back(date, time, Qt::UTC);
        if (done) done(!refuses);
    }
};

// A reply in the NIST layout for the given UTC time.
QByteArray nist(const char *date, const char *time) {
    return QByteArray("\n59189 ") + date + ' ' + time + " 00 0 0 612.3 UTC(NIST) * \n";
}

QDateTime at(int y, int mo, int d, int h, int mi, int s = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

class ClockCorrectionTest : public ::testing::Test {
  protected:
    void SetUp() override { clock.FillServerList(); }
    // One whole query to entry `index` whose answer is `reply`, with the PC at `pc`.
    bool query(const QByteArray &reply, const QDateTime &pc, int index = 0) {
        time.now += ClockCorrection::kSameServerPauseMs;
        wall.set(pc);
        if (!clock.CorrectClock(index)) return false;
        clock.DataArrival(reply);
        return true;
    }

    FakeClock time;
    FakeWallClock wall{time};
    FakeConnection connection;
    FakeQueryTimer timer;
    FakeSystemClock system;
    FakeSettings settings;
    ClockCorrection clock{ClockCorrection::Ports{connection, timer, wall, time, system, settings}};
};

TEST(DaytimeReplyTest, ReadsOnlyTheNistLayoutWithARealDateAndTime) {
    const auto ParseReply = [](const QByteArray &bytes) {
        return daytime::ParseReply(std::string_view(bytes.constData(), bytes.size()));
    };
    const auto t = ParseReply(nist("20-12-06", "23:30:00"));
    ASSERT_TRUE(t);
    EXPECT_EQ((std::array{t->year, t->month, t->day, t->hour, t->minute, t->second}),
              (std::array{2020, 12, 6, 23, 30, 0}));
    // Exactly the 24 characters the reading needs are enough.
    EXPECT_TRUE(ParseReply("\n59189 20-12-06 23:30:00"));
    EXPECT_TRUE(ParseReply(nist("24-02-29", "00:00:00")));
    for (const char *bad : {"", "\n", "\n59189 20-12-06 23:30:0",       // short
                            "59189 20-12-06 23:30:00 00 0 0 612.3 UTC", // no line feed first
                            "\nSat Dec  6 23:30:00 2020 UTC(NIST)",     // another server's layout
                            "\n5918x 20-12-06 23:30:00 00", "\n59189 20/12/06 23:30:00 00",
                            "\n59189 20-13-06 23:30:00 00", "\n59189 20-00-06 23:30:00 00",
                            "\n59189 21-02-29 23:30:00 00", "\n59189 20-04-31 23:30:00 00",
                            "\n59189 20-12-06 24:00:00 00", "\n59189 20-12-06 23:60:00 00",
                            "\n59189 16-12-31 23:59:60 00", "\n59189 20-12-06 2 :30:00 00",
                            "\n59189 -1-12-06 23:30:00 00", "\n59189 20-12-06T23:30:00 00"})
        EXPECT_FALSE(ParseReply(bad)) << bad;
}

TEST(DaytimeReplyTest, TwoDigitYearsBelow30AreThisCentury) {
    for (auto [yy, full] : {std::pair{0, 2000}, {29, 2029}, {30, 1930}, {99, 1999}})
        EXPECT_EQ(daytime::FullYear(yy), full);
}

TEST(DaytimeReplyTest, TheListHas17DistinctNames) {
    std::set<std::string_view> names(kTimeServers.begin(), kTimeServers.end());
    EXPECT_EQ(names.size(), 17u);
}

TEST(MinuteBoundariesTest, CountsTheMinuteBoundariesCrossed) {
    EXPECT_EQ(MinuteBoundaries(at(2020, 1, 1, 10, 0, 59), at(2020, 1, 1, 10, 1, 0)), 1);
    EXPECT_EQ(MinuteBoundaries(at(2020, 1, 1, 10, 0, 0), at(2020, 1, 1, 10, 0, 59)), 0);
    EXPECT_EQ(MinuteBoundaries(at(2020, 1, 1, 10, 1, 0), at(2020, 1, 1, 10, 0, 59)), -1);
    EXPECT_EQ(MinuteBoundaries(at(1969, 12, 31, 23, 59, 59), at(1970, 1, 1, 0, 0, 0)), 1);
}

TEST_F(ClockCorrectionTest, SetsTheClockOnlyFromWatchTime3MinutesOff) {
    const struct {
        int zisa;
        int watchTime3;
        const char *date;
        const char *time;
        QDateTime pc;
        std::optional<QDateTime> set;
    } cases[] = {
        {9, 10, "20-12-06", "03:00:00", at(2020, 12, 6, 12, 5, 0), std::nullopt},
        {9, 10, "20-12-06", "03:00:00", at(2020, 12, 6, 12, 10, 0), at(2020, 12, 6, 12, 0, 0)},
        {9, 10, "20-12-06", "03:00:00", at(2020, 12, 6, 12, 9, 59), std::nullopt},
        {9, 10, "20-12-06", "03:00:00", at(2020, 12, 6, 11, 50, 30), at(2020, 12, 6, 12, 0, 0)},
        {9, 10, "20-12-06", "03:00:00", at(2020, 12, 6, 11, 51, 0), std::nullopt},
        {9, 0, "20-12-06", "03:00:00", at(2020, 12, 6, 12, 0, 0), at(2020, 12, 6, 12, 0, 0)},
        {9, 10, "20-12-06", "23:30:00", at(2020, 12, 6, 23, 30, 0), at(2020, 12, 7, 8, 30, 0)},
        {9, 1, "99-12-31", "15:00:00", at(2000, 1, 1, 0, 0, 0), std::nullopt},
        {9, 1, "99-12-31", "15:00:00", at(2000, 1, 1, 9, 0, 0), at(2000, 1, 1, 0, 0, 0)},
        {-5, 10, "29-03-01", "02:00:00", at(2020, 1, 1, 0, 0, 0), at(2029, 2, 28, 21, 0, 0)},
        {0, 1, "20-12-06", "10:00:59", at(2020, 12, 6, 10, 1, 0), at(2020, 12, 6, 10, 0, 59)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.pc.toString(Qt::ISODate).toStdString());
        settings.zisa = c.zisa;
        settings.watchTime3 = c.watchTime3;
        system.set.clear();
        ASSERT_TRUE(query(nist(c.date, c.time), c.pc));
        EXPECT_EQ(system.set, c.set ? std::vector<QDateTime>{*c.set} : std::vector<QDateTime>{});
        EXPECT_FALSE(clock.TimeQueryBusy);
    }
}

TEST_F(ClockCorrectionTest, QueriesTheListEntryOnPort13AndEndsTheQueryOnTheReply) {
    ASSERT_TRUE(clock.CorrectClock(16));
    EXPECT_EQ(connection.hosts, std::vector<QString>{QStringLiteral("utcnist.colorado.edu")});
    EXPECT_EQ(connection.ports, std::vector<unsigned short>{13});
    EXPECT_TRUE(clock.TimeQueryBusy);
    EXPECT_EQ(timer.period, 60000);
    clock.DataArrival(nist("20-12-06", "03:00:00"));
    EXPECT_FALSE(connection.open);
    EXPECT_EQ(timer.period, 0);
}

TEST_F(ClockCorrectionTest, AReplyThatCannotBeReadLeavesTheClockAlone) {
    settings.watchTime3 = 0;
    for (const char *reply : {"garbage", "\n59189 20-12", "", "\n59189 20-12-06 03:00:xx 00"}) {
        ASSERT_TRUE(query(reply, at(2020, 12, 6, 1, 0)));
        EXPECT_FALSE(clock.TimeQueryBusy);
        EXPECT_FALSE(connection.open);
    }
    EXPECT_TRUE(system.set.empty());
}

TEST_F(ClockCorrectionTest, ARefusedSettingIsNotAnError) {
    system.refuses = true;
    settings.watchTime3 = 0;
    ASSERT_TRUE(query(nist("20-12-06", "03:00:00"), at(2020, 12, 6, 12, 0)));
    EXPECT_EQ(system.set.size(), 1u);
    EXPECT_TRUE(query(nist("20-12-06", "03:00:00"), at(2020, 12, 6, 12, 0)));
}

TEST_F(ClockCorrectionTest, IndicesOutsideTheListAreSkipped) {
    for (int index : {-1, 17, 32767})
        EXPECT_FALSE(clock.CorrectClock(index));
    EXPECT_TRUE(connection.hosts.empty());
    EXPECT_FALSE(clock.TimeQueryBusy);

    ClockCorrection unfilled{
        ClockCorrection::Ports{connection, timer, wall, time, system, settings}};
    EXPECT_FALSE(unfilled.CorrectClock(0));
    EXPECT_FALSE(clock.StartTest(-1));
    EXPECT_FALSE(clock.TimeTestMode);
}

TEST_F(ClockCorrectionTest, OneQueryAtATimeButTheTestButtonOverrides) {
    ASSERT_TRUE(clock.CorrectClock(0));
    time.now += 10000;
    EXPECT_FALSE(clock.CorrectClock(1));
    EXPECT_EQ(connection.hosts.size(), 1u);

    QString shown = QStringLiteral("old");
    clock.clearTestReply = [&] { shown.clear(); };
    clock.showTestReply = [&](const QString &text) { shown = text; };
    ASSERT_TRUE(clock.StartTest(1));
    EXPECT_EQ(connection.hosts.back(), QStringLiteral("time-b-g.nist.gov"));
    EXPECT_GE(connection.closes, 1); // the waiting query's connection went first
    EXPECT_TRUE(shown.isEmpty());
    const QByteArray reply = nist("20-12-06", "03:00:00");
    clock.DataArrival(reply);
    EXPECT_EQ(shown, QString::fromLatin1(reply));
    EXPECT_TRUE(shown.startsWith(QLatin1Char('\n')));
    EXPECT_TRUE(system.set.empty());
    EXPECT_FALSE(clock.TimeTestMode);

    // Out of test mode again: the next reply sets the clock.
    settings.watchTime3 = 0;
    ASSERT_TRUE(query(reply, at(2020, 12, 6, 12, 0), 2));
    EXPECT_EQ(system.set.size(), 1u);
}

TEST_F(ClockCorrectionTest, TheSameServerIsNeverAskedTwiceWithinFourSeconds) {
    ASSERT_TRUE(clock.CorrectClock(3));
    clock.DataArrival(nist("20-12-06", "03:00:00"));
    time.now += 3999;
    EXPECT_FALSE(clock.CorrectClock(3));
    EXPECT_FALSE(clock.StartTest(3));
    EXPECT_FALSE(clock.TimeTestMode);
    EXPECT_TRUE(clock.CorrectClock(4)); // another server may be asked
    clock.DataArrival("x");
    time.now += 1;
    EXPECT_TRUE(clock.StartTest(3));
    EXPECT_EQ(connection.hosts.size(), 3u);
}

TEST_F(ClockCorrectionTest, SilenceEndsTheQueryAfterSixtySecondsWithoutAMessage) {
    ASSERT_TRUE(clock.StartTest(5));
    EXPECT_EQ(timer.period, 60000);
    time.now += 60000;
    clock.TimerWatch3Tick();
    EXPECT_FALSE(clock.TimeQueryBusy);
    EXPECT_FALSE(connection.open);
    EXPECT_EQ(timer.period, 0);
    EXPECT_FALSE(clock.TimeTestMode);

    // A late answer on the dropped query is nobody's.
    settings.watchTime3 = 0;
    clock.DataArrival(nist("20-12-06", "03:00:00"));
    EXPECT_TRUE(system.set.empty());

    // The next cycle queries again and its answer corrects the clock.
    ASSERT_TRUE(query(nist("20-12-06", "03:00:00"), at(2020, 12, 6, 13, 0), 5));
    EXPECT_EQ(system.set.size(), 1u);
}

} // namespace
} // namespace tarvo::testing
