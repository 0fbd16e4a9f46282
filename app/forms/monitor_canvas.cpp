#include "monitor_canvas.h"

#include "half_even.h"

#include <QPainter>

#include <algorithm>

namespace tarvo {

int TwipsToPixels(int twips) {
    return RoundHalfEven(static_cast<double>(twips) / kTwipsPerPixel);
}

namespace {
QPoint px(int x, int y) {
    return {TwipsToPixels(x), TwipsToPixels(y)};
}

// The points of one ring in pixels, newest first, preceded by the start at the right edge.
bool ringPoints(std::vector<QPoint> &out, const std::vector<std::int32_t> &ring,
                const std::vector<int> &xs, std::int32_t highest, int h, const bool *closing) {
    const int yb = h - 50;
    out.resize(ring.size());
    for (std::size_t k = 0; k < ring.size(); ++k) {
        if (closing && *closing) return false;
        out[k] = QPoint(xs[k], TwipsToPixels(yb - ScaledHeight(ring[k], highest, h)));
    }
    return true;
}

void drawRing(QPainter &p, QPoint start, const std::vector<QPoint> &points, const QColor &colour,
              const bool *closing) {
    p.setPen(QPen(colour, 0));
    // Many points share a pixel column when the history is long. The segments between them
    // are vertical and chained, so their union is one vertical line per column: drawn so,
    // the picture is the same and the cost follows the width instead of the point count.
    QPoint last = start;
    int top = last.y();
    int bottom = last.y();
    for (const QPoint &next : points) {
        if (closing && *closing) return;
        if (next.x() == last.x()) {
            top = std::min(top, next.y());
            bottom = std::max(bottom, next.y());
        } else {
            p.drawLine(last.x(), top, last.x(), bottom);
            p.drawLine(last, next);
            top = bottom = next.y();
        }
        last = next;
    }
    p.drawLine(last.x(), top, last.x(), bottom);
}

// The pixels of a circle outline of radius r around (0, 0), as the painter draws it.
std::vector<QPoint> circleStamp(int r) {
    const int size = 2 * r + 5;
    QImage tmp(size, size, QImage::Format_RGB32);
    tmp.fill(Qt::black);
    {
        QPainter p(&tmp);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::white, 0));
        p.drawEllipse(QPoint(r + 2, r + 2), r, r);
    }
    std::vector<QPoint> stamp;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (tmp.pixel(x, y) != qRgb(0, 0, 0)) stamp.emplace_back(x - r - 2, y - r - 2);
    return stamp;
}

// Thousands of identical small circles: stamped straight into the image's pixels.
class CircleStamper {
  public:
    CircleStamper(QImage &image, int radius)
        : pixels_(circleStamp(radius)), bits_(image.bits()), stride_(image.bytesPerLine()),
          width_(image.width()), height_(image.height()) {}

    void stamp(QPoint centre, QRgb colour) const {
        for (const QPoint &d : pixels_) {
            const int x = centre.x() + d.x();
            const int y = centre.y() + d.y();
            if (x < 0 || y < 0 || x >= width_ || y >= height_) continue;
            reinterpret_cast<QRgb *>(bits_ + static_cast<std::ptrdiff_t>(y) * stride_)[x] = colour;
        }
    }

  private:
    std::vector<QPoint> pixels_;
    uchar *bits_;
    qsizetype stride_;
    int width_;
    int height_;
};
} // namespace

bool DrawGraph(QImage &image, const MonitorLayout &l, int scrollOffset,
               const TrafficHistory &history, const GraphStyle &style, bool redraw,
               const bool *closing) {
    const int w = l.graph.width;
    const int h = l.graph.height;
    image.fill(kBackgroundColour);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(kGridColour, 0));
        for (int a = 0; a <= 21; ++a) {
            if (closing && *closing) return false;
            const int x = TwipsToPixels(a * l.gridStepX - scrollOffset);
            p.drawLine(x, 0, x, image.height());
            const int y = TwipsToPixels(l.baseline - a * l.gridStepY);
            p.drawLine(0, y, image.width(), y);
        }
    }
    if (!redraw) return true;
    const int points = history.points();
    const std::int32_t highest = history.highest();
    // Every point's place once; circles and lines both use them.
    std::vector<int> xs(static_cast<std::size_t>(points) + 1);
    for (int k = 0; k <= points; ++k)
        xs[static_cast<std::size_t>(k)] = TwipsToPixels(w - PointOffset(w, points, k));
    std::vector<QPoint> received, sent;
    if (!ringPoints(received, history.received(), xs, highest, h, closing) ||
        !ringPoints(sent, history.sent(), xs, highest, h, closing))
        return false;
    if (style.circles) {
        const CircleStamper stamper(image, TwipsToPixels(l.circleRadius));
        for (std::size_t k = 0; k < received.size(); ++k) {
            if (closing && *closing) return false;
            stamper.stamp(received[k], kReceivedColour.rgb());
            stamper.stamp(sent[k], kSentColour.rgb());
        }
    }
    if (style.lines) {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        const int yb = h - 50;
        drawRing(p, px(w, yb - ScaledHeight(history.received().front(), highest, h)), received,
                 kReceivedColour, closing);
        drawRing(p, px(w, yb - ScaledHeight(history.sent().front(), highest, h)), sent, kSentColour,
                 closing);
    }
    return !(closing && *closing);
}

void DrawLevelBar(QImage &image, int boxWidth, int boxHeight, int labelHeight, std::int32_t value,
                  std::int32_t highest, const QColor &colour) {
    image.fill(kBackgroundColour);
    const int y0 = boxHeight - (labelHeight + 150);
    const int barHeight = LevelBarHeight(value, highest, y0);
    if (barHeight <= 0) return;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPoint a = px(100, y0 - barHeight);
    const QPoint b = px(boxWidth - 200, y0);
    // Filled: a bar reads better than an outline at this size.
    p.fillRect(QRect(a, b), colour);
}

} // namespace tarvo
