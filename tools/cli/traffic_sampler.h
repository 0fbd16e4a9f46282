// Bytes per interval from a router's ever-growing traffic counters.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace qscli {

struct TrafficStep {
    bool counted = false; // false for the first reading: it only gives the starting point
    uint64_t bytes = 0;
    bool reset = false; // the counter went down (cleared or restarted): 0 for this interval
};

class CounterSampler {
  public:
    TrafficStep next(uint32_t counter);

  private:
    std::optional<uint32_t> previous_;
};

// When to read next: one interval after the planned reading, or one interval from now when
// the readings fell behind (a router that kept us waiting), so that a late reading is never
// followed by a burst of readings to catch up.
std::chrono::steady_clock::time_point nextReading(std::chrono::steady_clock::time_point planned,
                                                  std::chrono::steady_clock::duration interval,
                                                  std::chrono::steady_clock::time_point now);

// "5.4 kB" and "43.2 kbit/s": decimal units, one decimal at most.
std::string humanBytes(double bytes);
std::string humanRate(double bytesPerSecond);

} // namespace qscli
