#include "traffic_history.h"

#include "half_even.h"

#include <algorithm>
#include <cmath>

namespace tarvo {

std::int64_t CounterValue(const QString &text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return 0;
    bool ok = false;
    const double v = t.toDouble(&ok);
    // "nan" and "inf" parse as numbers; neither is a counter, and NaN must not reach the cast.
    if (!ok || !std::isfinite(v) || v <= 0) return 0;
    constexpr double kMax = 4294967295.0;
    return static_cast<std::int64_t>(std::min(v, kMax));
}

void TrafficHistory::recreate(int points) {
    points_ = std::max(points, 0);
    received_.assign(static_cast<std::size_t>(points_) + 1, 0);
    sent_.assign(static_cast<std::size_t>(points_) + 1, 0);
}

void TrafficHistory::reset() {
    zero();
    previousReceived_ = 0;
    previousSent_ = 0;
}

void TrafficHistory::zero() {
    std::fill(received_.begin(), received_.end(), 0);
    std::fill(sent_.begin(), sent_.end(), 0);
    highest_ = 0;
}

void TrafficHistory::sample(const QString &receivedText, const QString &sentText) {
    sampleOne(receivedText, received_, previousReceived_);
    sampleOne(sentText, sent_, previousSent_);
}

void TrafficHistory::sampleOne(const QString &text, std::vector<std::int32_t> &ring,
                               std::int64_t &previous) {
    const std::int64_t c = CounterValue(text);
    if (c == 0 || previous != 0) {
        const std::int32_t d = RoundHalfEven(static_cast<double>(c - previous));
        highest_ = std::max(highest_, d);
        previous = c;
        // Newest at index 0; the oldest falls off the end.
        std::rotate(ring.rbegin(), ring.rbegin() + 1, ring.rend());
        ring.front() = d;
    } else {
        previous = c;
    }
}

void TrafficHistory::recomputeHighest() {
    std::int32_t top = 0;
    for (const auto *ring : {&received_, &sent_})
        for (std::int32_t v : *ring)
            top = std::max(top, v);
    highest_ = top;
}

} // namespace tarvo
