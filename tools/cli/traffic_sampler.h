// Bytes per interval from a router's ever-growing traffic counters.
#pragma once

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

// "5.4 kB" and "43.2 kbit/s": decimal units, one decimal at most.
std::string humanBytes(double bytes);
std::string humanRate(double bytesPerSecond);

} // namespace qscli
