#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace tarvo {

// The bytes received and sent per second as the traffic monitor keeps them: two rings of N + 1
// values, index 0 the newest, the counters they were last taken from, and the highest value.
class TrafficHistory {
  public:
    explicit TrafficHistory(int points = 80) { recreate(points); }

    // New, zero-filled rings for a new point count. The counters and the highest value stay.
    void recreate(int points);
    // What opening the window does: everything back to zero, the point count kept.
    void reset();
    // Zeroes both rings and the highest value; the counters stay, so the next tick samples.
    void zero();

    // One reading of the router's counter texts. A reading is only stored when the previous
    // counter is known (not 0) or the counter is 0 itself: the first reading after opening, or
    // after the counter was 0, only remembers the counter.
    void sample(const QString &receivedText, const QString &sentText);
    // The highest value anew from both rings (0 when nothing is above 0).
    void recomputeHighest();

    int points() const { return points_; }
    const std::vector<std::int32_t> &received() const { return received_; }
    const std::vector<std::int32_t> &sent() const { return sent_; }
    std::int32_t highest() const { return highest_; }
    std::int64_t previousReceived() const { return previousReceived_; }
    std::int64_t previousSent() const { return previousSent_; }

  private:
    void sampleOne(const QString &text, std::vector<std::int32_t> &ring, std::int64_t &previous);

    int points_ = 0;
    std::vector<std::int32_t> received_;
    std::vector<std::int32_t> sent_;
    // The router's counters are unsigned 32-bit: kept wide so that a counter past 2^31 neither
    // overflows nor turns negative.
    std::int64_t previousReceived_ = 0;
    std::int64_t previousSent_ = 0;
    std::int32_t highest_ = 0;
};

// The counter's value from its text: an empty text counts as 0, as do texts that are not a
// number; a number beyond the counter's range is taken as its largest value.
std::int64_t CounterValue(const QString &text);

} // namespace tarvo
