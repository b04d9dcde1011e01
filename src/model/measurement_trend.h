#pragma once
// How steady a channel's reading is: a technician waits for a steady reading before
// calibrating, and the trend window shows these figures beside the chart.

#include <deque>
#include <optional>

namespace kelvo {

struct TrendPoint {
    double seconds = 0;  // on any steady clock; only differences matter
    double value = 0;
};

struct Stability {
    int samples = 0;
    // Highest minus lowest reading in the window.
    double spread = 0;
    // Slope of the least-squares line through the window, per minute; nothing with fewer
    // than two readings or readings all taken at one moment.
    std::optional<double> driftPerMinute;
};

// The readings of the last windowSeconds up to the newest one.
Stability StabilityOf(const std::deque<TrendPoint>& points, double windowSeconds);

// Drops readings older than keepSeconds before the newest one.
void TrimTrend(std::deque<TrendPoint>& points, double keepSeconds);

}  // namespace kelvo
