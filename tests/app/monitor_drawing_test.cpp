// The monitor's drawing, checked pixel by pixel on images of the default 400 x 100 pixel window
// (6000 x 1500 twips): graph 4700 x 1400 twips = 313 x 93 pixels, level bars 1200 x 700 twips =
// 80 x 47 pixels. Positions are worked out by hand at 15 twips per pixel, halves to even.
#include "monitor_canvas.h"

#include <QImage>
#include <gtest/gtest.h>

namespace tarvo {
namespace {

QColor at(const QImage &image, int x, int y) {
    return QColor(image.pixel(x, y));
}

struct GraphFixture {
    MonitorLayout layout = LayoutMonitor(6000, 1500);
    TrafficHistory history{80};
    QImage image{313, 93, QImage::Format_RGB32};

    GraphFixture() {
        // Rings after these readings: received 290, 290, 1000; sent 250, 250, 250; highest 1000.
        history.sample(QStringLiteral("10000"), QStringLiteral("10000"));
        history.sample(QStringLiteral("11000"), QStringLiteral("10250"));
        history.sample(QStringLiteral("11290"), QStringLiteral("10500"));
        history.sample(QStringLiteral("11580"), QStringLiteral("10750"));
    }
};

TEST(MonitorDrawingTest, GridLinesFollowStepAndOffset) {
    GraphFixture f;
    ASSERT_EQ(f.layout.gridStepX, 235);
    ASSERT_EQ(f.layout.gridStepY, 65);
    // Offset 59: the second vertical line at 235 - 59 = 176 twips = 11.73 -> pixel 12.
    DrawGraph(f.image, f.layout, 59, f.history, {}, false);
    EXPECT_EQ(at(f.image, 12, 6), kGridColour);
    EXPECT_EQ(at(f.image, 11, 6), kBackgroundColour);
    EXPECT_EQ(at(f.image, 13, 6), kBackgroundColour);
    EXPECT_EQ(at(f.image, 0, 6), kBackgroundColour); // the first line scrolled off the left
    // The base line of the grid: 1300 twips = 86.67 -> row 87.
    EXPECT_EQ(at(f.image, 100, 87), kGridColour);
    EXPECT_EQ(at(f.image, 100, 86), kBackgroundColour);
    EXPECT_EQ(at(f.image, 100, 88), kBackgroundColour);
    // Without offset the first line is at the left edge and the second at 235 -> 15.67 -> 16.
    DrawGraph(f.image, f.layout, 0, f.history, {}, false);
    EXPECT_EQ(at(f.image, 0, 6), kGridColour);
    EXPECT_EQ(at(f.image, 16, 6), kGridColour);
    EXPECT_EQ(at(f.image, 12, 6), kBackgroundColour);
    // Without the redraw flag no value is drawn.
    EXPECT_EQ(at(f.image, 311, 63), kBackgroundColour);
}

TEST(MonitorDrawingTest, NewestValuesAtTheRightEdgeAtTheirScaledHeight) {
    GraphFixture f;
    // Received 290 of 1000 is 406 of 1400 twips above the base 1350: y 944 -> 62.93 -> row 63.
    // Sent 250: 350 above: y 1000 -> 66.67 -> row 67. Index 1 is at 4700 - 59 -> column 309.
    // (The grid's rows nearby are 61, 65 and 69; its columns 298 and 313.)
    DrawGraph(f.image, f.layout, 0, f.history, GraphStyle{true, false}, true);
    EXPECT_EQ(at(f.image, 312, 63), kReceivedColour);
    EXPECT_EQ(at(f.image, 310, 63), kReceivedColour);
    EXPECT_EQ(at(f.image, 311, 62), kBackgroundColour);
    EXPECT_EQ(at(f.image, 311, 64), kBackgroundColour);
    EXPECT_EQ(at(f.image, 311, 67), kSentColour);
    EXPECT_EQ(at(f.image, 311, 66), kBackgroundColour);
    EXPECT_EQ(at(f.image, 311, 68), kBackgroundColour);

    // Circles of radius 31 twips (2 pixels) around (313, 63) and (309, 63): column 310 lies
    // inside both outlines and stays black; 311 is on both.
    DrawGraph(f.image, f.layout, 0, f.history, GraphStyle{false, true}, true);
    EXPECT_EQ(at(f.image, 311, 63), kReceivedColour);
    EXPECT_EQ(at(f.image, 310, 63), kBackgroundColour);
    EXPECT_EQ(at(f.image, 311, 67), kSentColour);

    DrawGraph(f.image, f.layout, 0, f.history, GraphStyle{true, true}, true);
    EXPECT_EQ(at(f.image, 310, 63), kReceivedColour);
    EXPECT_EQ(at(f.image, 309, 61), kReceivedColour); // top of the circle around index 1
}

TEST(MonitorDrawingTest, ClosingStopsTheDrawing) {
    GraphFixture f;
    const bool closing = true;
    EXPECT_FALSE(DrawGraph(f.image, f.layout, 0, f.history, {}, true, &closing));
    EXPECT_EQ(at(f.image, 311, 63), kBackgroundColour);
    EXPECT_EQ(at(f.image, 100, 87), kBackgroundColour);
}

TEST(MonitorDrawingTest, LevelBarTopFollowsTheValue) {
    QImage bar(80, 47, QImage::Format_RGB32);
    // Label 225 twips: y0 = 700 - 375 = 325 (21.67 -> row 22); full height 225 up to 100 twips
    // (6.67 -> row 7); x from 100 (column 7) to 1000 (column 67).
    DrawLevelBar(bar, 1200, 700, 225, 100, 100, kReceivedColour);
    EXPECT_EQ(at(bar, 30, 7), kReceivedColour);
    EXPECT_EQ(at(bar, 30, 6), kBackgroundColour);
    EXPECT_EQ(at(bar, 30, 22), kReceivedColour);
    EXPECT_EQ(at(bar, 30, 23), kBackgroundColour);
    EXPECT_EQ(at(bar, 7, 15), kReceivedColour);
    EXPECT_EQ(at(bar, 6, 15), kBackgroundColour);
    EXPECT_EQ(at(bar, 67, 15), kReceivedColour);
    EXPECT_EQ(at(bar, 68, 15), kBackgroundColour);
    // Half: 112.5 rounds to 112, top at 213 twips -> 14.2 -> row 14.
    DrawLevelBar(bar, 1200, 700, 225, 50, 100, kSentColour);
    EXPECT_EQ(at(bar, 30, 14), kSentColour);
    EXPECT_EQ(at(bar, 30, 13), kBackgroundColour);
    DrawLevelBar(bar, 1200, 700, 225, 0, 100, kSentColour);
    EXPECT_EQ(at(bar, 30, 20), kBackgroundColour);
}

} // namespace
} // namespace tarvo
