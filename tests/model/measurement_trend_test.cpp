#include "model/measurement_trend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace kelvo {
namespace {

std::deque<TrendPoint> series(int readings, double start, const std::function<double(double)>& at) {
    std::deque<TrendPoint> points;
    for (int i = 0; i < readings; ++i) points.push_back({start + 2.0 * i, at(2.0 * i)});
    return points;
}

TEST(MeasurementTrend, SpreadAndDriftOverTheLastMinuteOfKnownSeries) {
    // Readings every 2 s, as the windows poll; the clock starts far from zero as a
    // steady clock does after days of uptime.
    const double start = 3.5e6;
    const struct {
        const char* name;
        int readings;
        std::function<double(double)> at;
        double spread;
        double drift;
    } cases[] = {
        {"steady", 40, [](double) { return 412; }, 0, 0},
        {"rising 1 ppm per 2 s", 31, [](double t) { return 400 + t / 2; }, 30, 30},
        // Only the last minute counts: the early jump is older than that.
        {"old jump, then steady", 80, [](double t) { return t < 90 ? 900 : 21.5; }, 0, 0},
        {"alternating noise", 31, [](double t) { return std::fmod(t, 4) == 0 ? 20.4 : 20.6; }, 0.2,
         0},
        {"falling 0.1 per reading", 31, [](double t) { return 25 - 0.05 * t; }, 3, -3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Stability s = StabilityOf(series(c.readings, start, c.at), 60);
        EXPECT_EQ(s.samples, std::min(c.readings, 31));
        EXPECT_NEAR(s.spread, c.spread, 1e-9);
        ASSERT_TRUE(s.driftPerMinute.has_value());
        EXPECT_NEAR(*s.driftPerMinute, c.drift, 1e-9);
    }
}

TEST(MeasurementTrend, TooFewReadingsHaveNoDriftAndTrimKeepsTheWindow) {
    EXPECT_EQ(StabilityOf({}, 60).samples, 0);
    const Stability one = StabilityOf({{10, 5}}, 60);
    EXPECT_EQ(one.samples, 1);
    EXPECT_EQ(one.spread, 0);
    EXPECT_FALSE(one.driftPerMinute.has_value());
    EXPECT_FALSE(StabilityOf({{10, 5}, {10, 7}}, 60).driftPerMinute.has_value());
    EXPECT_EQ(StabilityOf({{10, 5}, {11, 7}}, 60).driftPerMinute, 120);  // two a second apart
    EXPECT_EQ(StabilityOf({{9, 100}, {10, 5}, {70, 5}}, 60).spread,
              0);  // the window's first second

    auto points = series(400, 0, [](double t) { return t; });  // 798 s
    TrimTrend(points, 600);
    EXPECT_EQ(points.front().seconds, 198);
    EXPECT_EQ(points.size(), 301u);
}

}  // namespace
}  // namespace kelvo
