#include "sim/TrafficMeter.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace simras {
namespace {

TEST(TrafficMeter, CountsRateTimesTimeAtTheRatesInForce) {
    struct Sample {
        std::uint32_t atMs;
        ByteCounts ratePerS;
    };
    struct Row {
        const char* what;
        std::uint32_t startMs;
        std::uint32_t upForMs;
        ByteCounts start;
        ByteCounts ratePerS;
        std::vector<Sample> samples;
        std::optional<std::uint32_t> stopMs; // after the samples, then one more at +5 s
        ByteCounts counters;
        std::uint32_t durationMs;
    } rows[] = {
        {"rate x time", 1000, 0, {}, {1000, 100}, {{3500, {1000, 100}}}, {}, {2500, 250}, 2500},
        {"fractions of a byte carry over",
         0,
         0,
         {},
         {3, 1},
         {{100, {3, 1}}, {200, {3, 1}}, {300, {3, 1}}, {400, {3, 1}}, {1000, {3, 1}}},
         {},
         {3, 1},
         1000},
        {"counters wrap past 4 GiB",
         0,
         0,
         {0xFFFFF000u, 0xFFFFFFFFu},
         {0x2000, 1},
         {{1000, {0x2000, 1}}},
         {},
         {0x1000, 0},
         1000},
        {"a new rate counts from the sample that brings it",
         0,
         0,
         {10, 0},
         {100, 0},
         {{2000, {1000, 10}}, {3000, {0, 0}}},
         {},
         {10 + 200 + 1000, 10},
         3000},
        {"up before the first look", 50, 3600000, {}, {}, {{550, {}}}, {}, {}, 3600500},
        {"the clock wraps",
         0xFFFFFC18u,
         0,
         {},
         {1000, 0},
         {{1000, {1000, 0}}},
         {},
         {2000, 0},
         2000},
        {"a stopped line counts no more", 0, 0, {}, {100, 100}, {}, 1000, {100, 100}, 1000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TrafficMeter meter(row.startMs, row.upForMs, row.start, row.ratePerS);
        for (const Sample& sample : row.samples)
            meter.Sample(sample.atMs, sample.ratePerS);
        if (row.stopMs) {
            meter.Stop(*row.stopMs);
            meter.Sample(*row.stopMs + 5000, {1000000, 1000000});
        }
        EXPECT_EQ(meter.Stopped(), row.stopMs.has_value());
        EXPECT_EQ(meter.Counters(), row.counters);
        EXPECT_EQ(meter.ConnectDurationMs(), row.durationMs);
    }
}

} // namespace
} // namespace simras
