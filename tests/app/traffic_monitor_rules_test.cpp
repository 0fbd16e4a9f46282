// The traffic monitor's arithmetic: sampling the router's counters into the two rings, the
// highest value, the panel layout, the scrolling grid, scaling and the auto-hide at the top edge.
// Expected values are worked out by hand from twips (15 to a pixel) and half-to-even rounding.
#include "half_even.h"
#include "monitor_layout.h"
#include "qstring_printer.h"
#include "rate_text.h"
#include "traffic_history.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour) {
    const std::pair<double, int> cases[] = {
        {0.5, 0},   {1.5, 2},  {2.5, 2},  {3.5, 4},    {-0.5, 0}, {-1.5, -2},
        {-2.5, -2}, {2.49, 2}, {2.51, 3}, {-2.51, -3}, {7.0, 7},  {1e12, 2147483647},
    };
    for (const auto &[x, expected] : cases)
        EXPECT_EQ(RoundHalfEven(x), expected) << x;
}

TEST(TrafficHistoryTest, FirstReadingAfterLoadOnlyRemembersTheCounter) {
    TrafficHistory h(80);
    h.sample(QStringLiteral("1000"), QStringLiteral("500"));
    EXPECT_EQ(h.received()[0], 0);
    EXPECT_EQ(h.sent()[0], 0);
    EXPECT_EQ(h.highest(), 0);
    h.sample(QStringLiteral("1600"), QStringLiteral("700"));
    EXPECT_EQ(h.received()[0], 600);
    EXPECT_EQ(h.sent()[0], 200);
    EXPECT_EQ(h.received()[1], 0);
    EXPECT_EQ(h.highest(), 600);
}

TEST(TrafficHistoryTest, RingsHoldNPlusOneValuesAndDropTheOldest) {
    TrafficHistory h(80);
    ASSERT_EQ(h.received().size(), 81u);
    long long counter = 1;
    h.sample(QString::number(counter), QString::number(counter)); // primes, adds nothing
    for (int i = 1; i <= 82; ++i) {
        counter += i;
        h.sample(QString::number(counter), QString::number(counter * 2));
    }
    ASSERT_EQ(h.received().size(), 81u);
    EXPECT_EQ(h.received()[0], 82);
    EXPECT_EQ(h.received()[80], 2); // samples 1 dropped with the 82nd
    EXPECT_EQ(h.highest(), 2 * 82); // the sent counter runs at twice the received one
}

TEST(TrafficHistoryTest, CounterSequencesTable) {
    struct Case {
        const char *name;
        std::vector<const char *> readings; // received counter texts, one per tick
        std::vector<std::int32_t> newestFirst;
        std::int32_t highest;
    };
    const Case cases[] = {
        // Falling back to 0 gives one negative value; the next 0 adds 0, the one after that
        // is a first reading again.
        {"reset", {"4000", "5000", "0", "0", "300", "450"}, {150, 0, -5000, 1000, 0}, 1000},
        {"empty text is 0", {"", "", "200"}, {0, 0, 0}, 0},
        {"zero from the start", {"0", "70", "100"}, {30, 0, 0}, 30},
        {"beyond 2^31", {"4294967000", "4294967295"}, {295, 0}, 295},
        // A text that is no number counts as 0, like an empty one.
        {"not a number", {"800", "x12", "50"}, {-800, 0}, 0},
    };
    for (const Case &c : cases) {
        TrafficHistory h(10);
        for (const char *r : c.readings)
            h.sample(QString::fromLatin1(r), QString());
        for (std::size_t i = 0; i < c.newestFirst.size(); ++i)
            EXPECT_EQ(h.received()[i], c.newestFirst[i]) << c.name << " index " << i;
        EXPECT_EQ(h.highest(), c.highest) << c.name;
    }
}

TEST(TrafficHistoryTest, CounterTextsThatAreNoFiniteNumber) {
    // Words a number parser takes for special values are no counter either: they count as 0,
    // like any other text that is not a number.
    const std::pair<const char *, std::int64_t> cases[] = {
        {"nan", 0},  {"NaN", 0},   {"-nan", 0}, {"inf", 0},
        {"-inf", 0}, {"1e400", 0}, {"12", 12},  {"4294967296", 4294967295LL},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(CounterValue(QString::fromLatin1(text)), expected) << text;

    TrafficHistory h(3);
    h.sample(QStringLiteral("5000"), QStringLiteral("5000"));
    h.sample(QStringLiteral("nan"), QStringLiteral("5100"));
    EXPECT_EQ(h.received()[0], -5000); // like a counter that fell back to 0
    EXPECT_EQ(h.previousReceived(), 0);
    h.sample(QStringLiteral("200"), QStringLiteral("5200"));
    h.sample(QStringLiteral("300"), QStringLiteral("5300"));
    EXPECT_EQ(h.received()[0], 100);
    EXPECT_EQ(h.highest(), 100);
}

TEST(TrafficHistoryTest, RecomputedHighestFollowsTheVisibleHistory) {
    TrafficHistory h(2); // three values per ring
    h.sample(QStringLiteral("10"), QStringLiteral("10"));
    h.sample(QStringLiteral("910"), QStringLiteral("20"));  // 900, 10
    h.sample(QStringLiteral("1000"), QStringLiteral("50")); // 90, 30
    h.sample(QStringLiteral("1010"), QStringLiteral("60")); // 10, 10
    EXPECT_EQ(h.highest(), 900);
    h.recomputeHighest();
    EXPECT_EQ(h.highest(), 900);
    h.sample(QStringLiteral("1020"), QStringLiteral("70")); // 900 leaves the rings
    h.recomputeHighest();
    EXPECT_EQ(h.highest(), 90);
    h.sample(QStringLiteral("0"), QStringLiteral("0")); // -1020, -70
    h.sample(QStringLiteral("0"), QStringLiteral("0"));
    h.sample(QStringLiteral("0"), QStringLiteral("0"));
    h.recomputeHighest();
    EXPECT_EQ(h.highest(), 0); // nothing above 0 left
}

TEST(TrafficHistoryTest, ZeroKeepsTheCountersAndRecreateTakesTheNewCount) {
    TrafficHistory h(80);
    h.sample(QStringLiteral("100"), QStringLiteral("100"));
    h.sample(QStringLiteral("300"), QStringLiteral("150"));
    h.zero();
    EXPECT_EQ(h.highest(), 0);
    EXPECT_EQ(h.received()[0], 0);
    h.sample(QStringLiteral("350"), QStringLiteral("150"));
    EXPECT_EQ(h.received()[0], 50); // no priming needed after the menu's zeroing

    h.recreate(9999);
    EXPECT_EQ(h.received().size(), 10000u);
    EXPECT_EQ(h.sent().size(), 10000u);
    EXPECT_EQ(h.received()[0], 0);
    h.recreate(0);
    EXPECT_EQ(h.received().size(), 1u);
    h.reset();
    h.sample(QStringLiteral("400"), QStringLiteral("400"));
    EXPECT_EQ(h.received()[0], 0); // after a load the first reading primes again
}

TEST(MonitorLayoutTest, PanelsAndMeasuresInTwips) {
    struct Case {
        int w, h;
        int barW, barH, graphW, graphH, baseline, stepX, stepY, radius;
    };
    const Case cases[] = {
        {6000, 1500, 1200, 700, 4700, 1400, 1300, 235, 65, 31}, // the defaults
        {1000, 500, 300, 450, 1100, 900, 800, 55, 40, 7},       // raised to 1500 x 1000
        {6000, 1515, 1200, 708, 4700, 1415, 1315, 235, 65, 31}, // 707.5 rounds to even 708
        {1500, 1225, 300, 562, 1100, 1125, 1025, 55, 51, 8},    // radius 7.5 -> 8
        {1500, 1375, 300, 638, 1100, 1275, 1175, 55, 58, 8},    // radius 8.5 -> 8
    };
    for (const Case &c : cases) {
        const MonitorLayout l = LayoutMonitor(c.w, c.h);
        EXPECT_EQ(l.sent.width, c.barW) << c.w << "x" << c.h;
        EXPECT_EQ(l.sent.height, c.barH) << c.w << "x" << c.h;
        EXPECT_EQ(l.received.top, c.barH) << c.w << "x" << c.h;
        EXPECT_EQ(l.graph.left, c.barW) << c.w << "x" << c.h;
        EXPECT_EQ(l.graph.width, c.graphW) << c.w << "x" << c.h;
        EXPECT_EQ(l.graph.height, c.graphH) << c.w << "x" << c.h;
        EXPECT_EQ(l.baseline, c.baseline) << c.w << "x" << c.h;
        EXPECT_EQ(l.gridStepX, c.stepX) << c.w << "x" << c.h;
        EXPECT_EQ(l.gridStepY, c.stepY) << c.w << "x" << c.h;
        EXPECT_EQ(l.circleRadius, c.radius) << c.w << "x" << c.h;
    }
    const MonitorLayout small = LayoutMonitor(10, 10);
    EXPECT_EQ(small.windowWidth, 1500);
    EXPECT_EQ(small.windowHeight, 1000);
}

TEST(MonitorLayoutTest, ScrollOffsetAdvancesByOnePointAndStartsOver) {
    // 4700 / 80 = 58.75 per second, grid step 235.
    int offset = 0;
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i)
        seen.push_back(offset = NextScrollOffset(offset, 4700, 80, 235));
    EXPECT_EQ(seen, (std::vector<int>{59, 118, 177, 59, 118}));
    // 4700 / 40 = 117.5 rounds to the even 118; 235.5 -> 236 reaches the step.
    EXPECT_EQ(NextScrollOffset(0, 4700, 40, 235), 118);
    EXPECT_EQ(NextScrollOffset(118, 4700, 40, 235), 118);
    EXPECT_EQ(NextScrollOffset(17, 4700, 0, 235), 17); // no points: the grid stands still
}

TEST(MonitorLayoutTest, ScalingRoundsHalfToEven) {
    EXPECT_EQ(ScaledHeight(600, 600, 1500), 1500);
    EXPECT_EQ(ScaledHeight(300, 600, 1500), 750);
    EXPECT_EQ(ScaledHeight(1, 4, 1402), 350);  // 350.5
    EXPECT_EQ(ScaledHeight(3, 4, 1402), 1052); // 1051.5
    EXPECT_EQ(ScaledHeight(-300, 600, 1500), -750);
    EXPECT_EQ(ScaledHeight(0, 600, 1500), 0);
    EXPECT_EQ(ScaledHeight(5, 0, 1500), 0);
    EXPECT_EQ(PointOffset(4700, 80, 1), 59);
    EXPECT_EQ(PointOffset(4700, 80, 80), 4700);
    EXPECT_EQ(PointOffset(4700, 40, 1), 118); // 117.5
    EXPECT_EQ(PointOffset(4700, 40, 3), 352); // 352.5
    EXPECT_EQ(PointOffset(4700, 0, 3), 0);
    EXPECT_EQ(LevelBarHeight(50, 100, 301), 100); // (301 - 100) / 2 = 100.5
    EXPECT_EQ(LevelBarHeight(0, 100, 301), 0);
}

TEST(MonitorAutoHideTest, HitTestUsesTheTrueRightEdge) {
    const TwipRect w{1500, 0, 6000, 1500}; // pixels 100..499 x 0..99
    EXPECT_TRUE(PointerOverWindow({100, 0}, w));
    EXPECT_TRUE(PointerOverWindow({499, 99}, w));
    EXPECT_FALSE(PointerOverWindow({500, 50}, w));
    EXPECT_FALSE(PointerOverWindow({99, 50}, w));
    EXPECT_FALSE(PointerOverWindow({300, 100}, w));
}

TEST(MonitorAutoHideTest, DockedWindowHidesAndComesBack) {
    MonitorAutoHide a;
    TwipRect w{1500, 5, 6000, 1500}; // touches the top: Top < 10 twips
    EXPECT_EQ(a.check({300, 50}, w), std::nullopt);
    EXPECT_EQ(a.check({300, 300}, w), std::optional<int>(60 - 1500));
    w.top = 60 - 1500; // -1440 twips: pixels -96..3
    EXPECT_FALSE(a.revealed());
    EXPECT_EQ(a.check({300, 300}, w), std::nullopt); // still away
    EXPECT_EQ(a.check({300, 2}, w), std::optional<int>(0));
    EXPECT_TRUE(a.revealed());
}

TEST(MonitorAutoHideTest, OnlyAWindowItMovedUpIsBroughtBack) {
    MonitorAutoHide a;
    TwipRect lower{1500, 3000, 6000, 1500};
    EXPECT_EQ(a.check({0, 0}, lower), std::nullopt);     // leaves: a lower window stays
    EXPECT_EQ(a.check({300, 250}, lower), std::nullopt); // back: nothing to bring back

    TwipRect top{1500, 0, 6000, 1500};
    EXPECT_EQ(a.check({0, 500}, top), std::optional<int>(-1440));
    top.top = 4500; // the user dragged the strip down meanwhile
    EXPECT_EQ(a.check({300, 350}, top), std::nullopt);
    EXPECT_TRUE(a.revealed());
}

} // namespace
} // namespace tarvo

namespace tarvo {
namespace {

TEST(RateTextTest, HumanUnitsAndCaptions) {
    EXPECT_EQ(HumanRate(1500), QStringLiteral("1.5 kB/s (12 kbit/s)"));
    EXPECT_EQ(HumanRate(0), QStringLiteral("0 B/s (0 bit/s)"));
    EXPECT_EQ(HumanRate(999), QStringLiteral("999 B/s (8 kbit/s)"));
    EXPECT_EQ(HumanRate(-5000), QStringLiteral("-5 kB/s (-40 kbit/s)"));
    EXPECT_EQ(HumanBytes(5'400'000), QStringLiteral("5.4 MB"));
    EXPECT_EQ(HumanBytes(4'294'967'295), QStringLiteral("4.3 GB"));
    EXPECT_EQ(BpsCaption(1500), QStringLiteral("1500bps"));
    EXPECT_EQ(BpsCaption(-5000), QStringLiteral("-5000bps"));
}

} // namespace
} // namespace tarvo
