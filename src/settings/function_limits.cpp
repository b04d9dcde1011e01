#include "settings/function_limits.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/values.h"

namespace kelvo {

namespace {
// Function 1 runs over -100..100: the full-output sum of functions 4 and 1 (or 5 and 2)
// is what the 6v3 settings B and E name.
constexpr double kFullOutput = 100;

double limited(double value, double low, double high) {
    return std::clamp(value, low, high);
}
}  // namespace

double GetFunkResult(const FunctionLimits& limits, int n, double x) {
    if (n < 1 || n > 6) return 0;
    const double low = limits.FLow[n];
    const double span = limits.FHigh[n] - low;
    if (!(span != 0) || !std::isfinite(span)) return 0;
    double r = 0;
    if (n <= 3) {
        r = limited((x - low) / span * 200 - 100, -100, 100);
    } else {
        r = limited((GetFunkResult(limits, 1, x) - low) / span * 100, 0, 100);
    }
    return std::isfinite(r) ? r : 0;
}

double halvingSearch(double start, double step, double target, bool rising, double tolerance,
                     const std::function<double(double)>& value) {
    double guess = start;
    // Halving a double reaches 0 after some 1075 rounds; this is far beyond any need.
    for (int round = 0; round < 2000 && step != 0; ++round) {
        const double r = value(guess);
        if (std::abs(r - target) <= tolerance) break;
        const bool below = r < target;
        guess += (below == rising) ? step : -step;
        step /= 2;
    }
    return guess;
}

std::optional<FunctionLimits> limitsOf6v3(const SixV3Values& v) {
    for (double x : v) {
        if (!std::isfinite(x)) return std::nullopt;
    }
    const double c = v[kC];
    if (c == 0) return std::nullopt;
    FunctionLimits f;
    f.FHigh[1] = c;
    f.FLow[1] = -c;
    f.FHigh[2] = v[kF];
    f.FLow[2] = 2 * v[kD1] - v[kF];
    f.FHigh[3] = v[kG1];
    f.FLow[3] = v[kG1] - 100;
    f.FLow[4] = v[kA1] / c * 100;
    // Function 4's high limit: where functions 4 and 1 together reach full output at B.
    // Raising it lowers function 4 at B, so the guess moves up while the sum is too high.
    // A guess at or below the low limit turns the function round; it counts as too steep,
    // or a step that overshoots the low limit would drive the search ever further down.
    const auto sumAt = [&f](int n, int m, double x, double high) {
        f.FHigh[n] = high;
        if (high <= f.FLow[n]) return std::numeric_limits<double>::infinity();
        return GetFunkResult(f, n, x) + GetFunkResult(f, m, x);
    };
    f.FHigh[4] = halvingSearch(100, 50, kFullOutput, false, 0,
                               [&](double high) { return sumAt(4, 1, v[kB], high); });
    f.FLow[5] = v[kD1] / c * 100;
    f.FHigh[5] = halvingSearch(f.FLow[5] + 1, 250, kFullOutput, false, 0.0001,
                               [&](double high) { return sumAt(5, 2, v[kE], high); });
    f.FHigh[6] = v[kI] / c * 100;
    f.FLow[6] = (v[kI] - 100) / c * 100;
    // The relay's offset: function 1 at K, less the offset, sits at function 6's high limit.
    f.offset6v3 = halvingSearch(0, 100, f.FHigh[6], false, 0,
                                [&](double offset) { return GetFunkResult(f, 1, v[kK]) - offset; });
    return f;
}

SixV3Values sixV3ValuesOf(const FunctionLimits& f) {
    SixV3Values v{};
    const double c = f.FHigh[1];
    v[kC] = c;
    v[kA1] = f.FLow[4] * c / 100;
    v[kF] = f.FHigh[2];
    v[kD1] = (f.FHigh[2] + f.FLow[2]) / 2;
    v[kG1] = f.FHigh[3];
    v[kI] = f.FHigh[6] * c / 100;
    // Each input is found from 0 outwards; the sums rise with it.
    v[kB] = halvingSearch(0, 9999, kFullOutput, true, 0, [&](double x) {
        return GetFunkResult(f, 4, x) + GetFunkResult(f, 1, x);
    });
    v[kE] = halvingSearch(0, 9999, kFullOutput, true, 0, [&](double x) {
        return GetFunkResult(f, 5, x) + GetFunkResult(f, 2, x);
    });
    v[kK] = halvingSearch(0, 9999, f.FHigh[6], true, 0,
                          [&](double x) { return GetFunkResult(f, 1, x) - f.offset6v3; });
    for (double& x : v) x = RoundHalfEven(x);
    return v;
}

}  // namespace kelvo
