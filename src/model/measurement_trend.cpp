#include "model/measurement_trend.h"

#include <algorithm>

namespace kelvo {

Stability StabilityOf(const std::deque<TrendPoint>& points, double windowSeconds) {
    Stability result;
    if (points.empty()) return result;
    const double since = points.back().seconds - windowSeconds;
    auto first = std::find_if(points.begin(), points.end(),
                              [since](const TrendPoint& p) { return p.seconds >= since; });
    double low = first->value, high = first->value;
    // Sums about the first point keep the slope exact for large clock values.
    const double t0 = first->seconds, v0 = first->value;
    double st = 0, sv = 0, stt = 0, stv = 0;
    for (auto it = first; it != points.end(); ++it) {
        const double t = it->seconds - t0, v = it->value - v0;
        low = std::min(low, it->value);
        high = std::max(high, it->value);
        st += t;
        sv += v;
        stt += t * t;
        stv += t * v;
        ++result.samples;
    }
    result.spread = high - low;
    const double n = result.samples;
    const double denominator = n * stt - st * st;
    if (result.samples >= 2 && denominator > 0)
        result.driftPerMinute = (n * stv - st * sv) / denominator * 60.0;
    return result;
}

void TrimTrend(std::deque<TrendPoint>& points, double keepSeconds) {
    if (points.empty()) return;
    const double since = points.back().seconds - keepSeconds;
    while (!points.empty() && points.front().seconds < since) points.pop_front();
}

}  // namespace kelvo
