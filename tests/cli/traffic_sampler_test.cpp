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

TEST(CounterSamplerTest, HumanUnits) {
    EXPECT_EQ(humanRate(1500), "1.5 kB/s (12 kbit/s)");
    EXPECT_EQ(humanRate(0), "0 B/s (0 bit/s)");
    EXPECT_EQ(humanBytes(5400), "5.4 kB");
    EXPECT_EQ(humanBytes(999), "999 B");
    EXPECT_EQ(humanBytes(2'000'000), "2 MB");
}

} // namespace
} // namespace qscli
