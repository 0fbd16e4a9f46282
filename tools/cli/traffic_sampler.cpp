#include "traffic_sampler.h"

#include <cmath>
#include <cstdio>

namespace qscli {

TrafficStep CounterSampler::next(uint32_t counter) {
    TrafficStep step;
    if (previous_) {
        step.counted = true;
        if (counter < *previous_)
            step.reset = true;
        else
            step.bytes = counter - *previous_;
    }
    previous_ = counter;
    return step;
}

std::chrono::steady_clock::time_point nextReading(std::chrono::steady_clock::time_point planned,
                                                  std::chrono::steady_clock::duration interval,
                                                  std::chrono::steady_clock::time_point now) {
    const auto next = planned + interval;
    return next >= now ? next : now + interval;
}

namespace {
std::string scaled(double value, const char *unit) {
    static const char *const prefixes[] = {"", "k", "M", "G", "T"};
    int i = 0;
    while (std::fabs(value) >= 1000.0 && i < 4) {
        value /= 1000.0;
        ++i;
    }
    char text[64];
    if (i == 0)
        std::snprintf(text, sizeof text, "%.0f %s", value, unit);
    else
        std::snprintf(text, sizeof text, "%.1f %s%s", value, prefixes[i], unit);
    std::string s = text;
    if (const auto dot = s.find(".0 "); dot != std::string::npos) s.erase(dot, 2);
    return s;
}
} // namespace

std::string humanBytes(double bytes) {
    return scaled(bytes, "B");
}

std::string humanRate(double bytesPerSecond) {
    return scaled(bytesPerSecond, "B/s") + " (" + scaled(bytesPerSecond * 8, "bit/s") + ")";
}

} // namespace qscli
