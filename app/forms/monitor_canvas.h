#pragma once

#include "monitor_layout.h"
#include "traffic_history.h"

#include <QColor>
#include <QImage>

namespace tarvo {

// The monitor's colours, from the standard 16-colour palette.
inline const QColor kGridColour(0, 128, 0);     // 2
inline const QColor kReceivedColour(0, 255, 0); // 10
inline const QColor kSentColour(255, 255, 0);   // 14
inline const QColor kBackgroundColour(0, 0, 0); // 0

struct GraphStyle {
    bool lines = true;
    bool circles = false;
};

// Pixels from twips, half to even.
int TwipsToPixels(int twips);

// Draws the whole graph on the off-screen image (sized to the graph in pixels): the grid in its
// scrolled phase, then, when `redraw` is set, both rings newest at the right edge. Every loop
// ends at once when *closing becomes true. Returns false when it stopped for closing.
bool DrawGraph(QImage &image, const MonitorLayout &layout, int scrollOffset,
               const TrafficHistory &history, const GraphStyle &style, bool redraw,
               const bool *closing = nullptr);

// Draws a level bar box (size in twips) with the newest value's bar above its value label.
void DrawLevelBar(QImage &image, int boxWidth, int boxHeight, int labelHeight, std::int32_t value,
                  std::int32_t highest, const QColor &colour);

} // namespace tarvo
