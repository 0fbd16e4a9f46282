#include "monitor_layout.h"

#include "half_even.h"

#include <algorithm>

namespace tarvo {

MonitorLayout LayoutMonitor(int windowWidth, int windowHeight) {
    MonitorLayout l;
    l.windowWidth = std::max(windowWidth, kMonitorMinWidth);
    l.windowHeight = std::max(windowHeight, kMonitorMinHeight);
    const int barHeight = RoundHalfEven((l.windowHeight - 100) / 2.0);
    const int barWidth = RoundHalfEven(l.windowWidth / 5.0);
    l.sent = {0, 0, barWidth, barHeight};
    l.received = {0, barHeight, barWidth, barHeight};
    l.graph = {barWidth, 0, 4 * barWidth - 100, l.windowHeight - 100};
    l.baseline = l.graph.height - 100;
    l.gridStepX = l.graph.width / 20;
    l.gridStepY = l.baseline / 20;
    l.circleRadius = RoundHalfEven(std::max(l.graph.width, l.graph.height) / 150.0);
    return l;
}

int NextScrollOffset(int offset, int graphWidth, int points, int gridStepX) {
    if (points <= 0) return offset;
    const double step = static_cast<double>(graphWidth) / points;
    int next = RoundHalfEven(step + offset);
    if (next >= gridStepX) next = RoundHalfEven(step);
    return next;
}

int ScaledHeight(std::int32_t value, std::int32_t highest, int height) {
    if (value == 0 || highest == 0) return 0;
    return RoundHalfEven(static_cast<double>(value) / highest * height);
}

int PointOffset(int graphWidth, int points, int k) {
    if (points <= 0) return 0;
    return RoundHalfEven(static_cast<double>(graphWidth) / points * k);
}

int LevelBarHeight(std::int32_t value, std::int32_t highest, int y0) {
    if (value == 0 || highest == 0) return 0;
    return RoundHalfEven(static_cast<double>(value) / highest * (y0 - 100));
}

bool PointerOverWindow(QPoint p, const TwipRect &w) {
    const int left = RoundHalfEven(static_cast<double>(w.left) / kTwipsPerPixel);
    const int top = RoundHalfEven(static_cast<double>(w.top) / kTwipsPerPixel);
    const int right = RoundHalfEven(static_cast<double>(w.left + w.width) / kTwipsPerPixel);
    const int bottom = RoundHalfEven(static_cast<double>(w.top + w.height) / kTwipsPerPixel);
    return p.x() >= left && p.x() < right && p.y() >= top && p.y() < bottom;
}

std::optional<int> MonitorAutoHide::check(QPoint pointer, const TwipRect &window) {
    const bool over = PointerOverWindow(pointer, window);
    if (over && !revealed_) {
        revealed_ = true;
        // A window the user moved since it was hidden stays where the user put it.
        const bool movedByUs = hiddenTop_ && *hiddenTop_ == window.top;
        hiddenTop_.reset();
        if (movedByUs) return 0;
        return std::nullopt;
    }
    if (!over && revealed_) {
        revealed_ = false;
        if (window.top < 10) {
            hiddenTop_ = kStrip - window.height;
            return hiddenTop_;
        }
    }
    return std::nullopt;
}

} // namespace tarvo
