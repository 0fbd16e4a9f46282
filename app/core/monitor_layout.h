#pragma once

#include <QPoint>
#include <cstdint>
#include <optional>

namespace tarvo {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kMonitorMinWidth = 1500; // twips
inline constexpr int kMonitorMinHeight = 1000;

struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Where the traffic monitor's panels go inside a window of the given size, and the measures the
// graph is drawn with; all in twips.
struct MonitorLayout {
    int windowWidth = 0;  // raised to the minimum
    int windowHeight = 0; // raised to the minimum
    TwipRect sent;        // level bar of the newest sent value, top left
    TwipRect received;    // level bar of the newest received value, under it
    TwipRect graph;       // the graph, right of the bars
    int gridStepX = 0;
    int gridStepY = 0;
    int baseline = 0; // where the grid's horizontal lines count from
    int circleRadius = 0;
};

MonitorLayout LayoutMonitor(int windowWidth, int windowHeight);

// The grid's horizontal phase after one more second: it moves by one point's width and starts
// over once it reaches a grid step. N = 0 has no point width: the grid stands still.
int NextScrollOffset(int offset, int graphWidth, int points, int gridStepX);

// Height of a value on a scale whose top is the highest value.
int ScaledHeight(std::int32_t value, std::int32_t highest, int height);

// Distance of point k from the graph's right edge, where the newest value is drawn.
int PointOffset(int graphWidth, int points, int k);

// The level bar's height above y0 for the newest value.
int LevelBarHeight(std::int32_t value, std::int32_t highest, int y0);

// The window's rectangle on the screen in pixels, right and bottom edges included in the width.
bool PointerOverWindow(QPoint pointerPixels, const TwipRect &window);

// Hides a window docked at the top edge of the screen behind a strip of 60 twips while the
// pointer is elsewhere, and brings back exactly the windows it moved up.
class MonitorAutoHide {
  public:
    static constexpr int kStrip = 60;

    // One check; the new Top in twips when the window is to move.
    std::optional<int> check(QPoint pointerPixels, const TwipRect &window);
    bool revealed() const { return revealed_; }
    void reset() {
        revealed_ = true;
        hiddenTop_.reset();
    }

  private:
    bool revealed_ = true;
    std::optional<int> hiddenTop_; // the Top this class gave the window when it hid it
};

} // namespace tarvo
