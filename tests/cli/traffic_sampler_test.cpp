// The cli monitor's bytes per interval from the router's counters, and its units.
#include "traffic_sampler.h"

#include <gtest/gtest.h>
#include <vector>

namespace qscli {
namespace {

TEST(CounterSamplerTest, FirstReadingStartsAndAResetGivesZero) {
    struct Step {
        uint32_t counter;
        bool counted;
        uint64_t bytes;
        bool reset;
    };
    const std::vector<Step> steps = {
        {5000, false, 0, false},                             // the starting point only
        {10400, true, 5400, false}, {10400, true, 0, false}, // a quiet interval
        {300, true, 0, true},                                // cleared during the interval
        {5700, true, 5400, false},  {4294967295u, true, 4294961595u, false},
        {0, true, 0, true},
    };
    CounterSampler s;
    for (const Step &step : steps) {
        const TrafficStep got = s.next(step.counter);
        EXPECT_EQ(got.counted, step.counted) << step.counter;
        EXPECT_EQ(got.bytes, step.bytes) << step.counter;
        EXPECT_EQ(got.reset, step.reset) << step.counter;
    }
}

TEST(CounterSamplerTest, ReadingsKeepTheirPaceAndNeverBurstAfterADelay) {
    using namespace std::chrono_literals;
    const std::chrono::steady_clock::time_point t0{};
    const std::chrono::steady_clock::duration second = 1s;
    // On time: the plan goes on one interval at a time, whatever the reading took.
    EXPECT_EQ(nextReading(t0, second, t0 + 200ms), t0 + 1s);
    EXPECT_EQ(nextReading(t0 + 1s, second, t0 + 1s + 999ms), t0 + 2s);
    // A router that took 4 s to answer: the next reading is a full interval after that one,
    // not three readings in a row to make up for the plan.
    EXPECT_EQ(nextReading(t0, second, t0 + 4s), t0 + 5s);
    EXPECT_EQ(nextReading(t0, second, t0 + 1s), t0 + 1s); // just in time
    EXPECT_EQ(nextReading(t0, second, t0 + 1001ms), t0 + 2001ms);
}

TEST(CounterSamplerTest, HumanUnits) {
    EXPECT_EQ(humanRate(1500), "1.5 kB/s (12 kbit/s)");
    EXPECT_EQ(humanRate(0), "0 B/s (0 bit/s)");
    EXPECT_EQ(humanBytes(5400), "5.4 kB");
    EXPECT_EQ(humanBytes(999), "999 B");
    EXPECT_EQ(humanBytes(2'000'000), "2 MB");
}

} // namespace
} // namespace qscli
