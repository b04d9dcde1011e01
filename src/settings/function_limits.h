#pragma once
// The six output functions of a platform-6 sensor as numbers: each function's low and high
// limit in its channel's units, what a function gives at an input, and the "6v3" panel,
// whose nine jumper-style settings and the six functions are worked out from each other.

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace kelvo {

struct FunctionLimits {
    // Indexed by function number 1..6; element 0 is unused.
    std::array<double, 7> FLow{};
    std::array<double, 7> FHigh{};
    double offset6v3 = 0;
};

// Function n at input x. Functions 1..3 map their input onto -100..100, functions 4..6
// map function 1's result onto 0..100. Any other n, or limits that leave nothing to map
// onto (equal, or not numbers), give 0.
double GetFunkResult(const FunctionLimits& limits, int n, double x);

// Searches by halving the step: moves the guess up while value(guess) is below target
// (down while above when rising is false), stopping when the value is within tolerance of
// the target or the step has halved to 0. Always ends.
double halvingSearch(double start, double step, double target, bool rising, double tolerance,
                     const std::function<double(double)>& value);

// The nine settings of the "6v3" panel.
enum SixV3Setting { kA1, kB, kC, kD1, kE, kF, kG1, kI, kK, kSixV3Settings };
using SixV3Values = std::array<double, kSixV3Settings>;

// The functions the settings stand for; nothing when C is 0 (every limit is a fraction
// of it) or a setting is no number.
std::optional<FunctionLimits> limitsOf6v3(const SixV3Values& values);
// The settings the functions stand for, each a whole number.
SixV3Values sixV3ValuesOf(const FunctionLimits& limits);

}  // namespace kelvo
