#pragma once
// The arithmetic of the calibrations, apart from the sensor traffic so it can be checked
// on its own: the detector response model, the step search that inverts it, and the
// single-point formulas. Ratios use 61440 as full scale and 2048 as the factor 1.0.

#include <array>
#include <functional>
#include <optional>

namespace kelvo {

constexpr double kFullScale = 61440;
constexpr double kUnity = 2048;

// F(x) = w1 e^(K x) + w2 e^(K k2 x) + w3 e^(K k2 k2 x) + 1 - w1 - w2 - w3, so F(0) = 1.
struct ResponseModel {
    double K = 0, w1 = 0, w2 = 0, k2 = 0, w3 = 0;
    double operator()(double x) const;
};

// The models by the channel kind of platforms 6 and 61 (1, 2, 9).
std::optional<ResponseModel> ModelForChannelKind(int kind);
// The models by the high nibble of platform 7's EEPROM 1003 (0..3), with their CO2 factor.
struct DetectorModel {
    ResponseModel model;
    double factor = 1;
};
std::optional<DetectorModel> ModelForDetectorCode(int code);

constexpr double kStepSearchLimit = 9999;

// Finds x where F(x)^P comes within 0.0001 of the target, stepping from start by 100 and
// halving the step at each change of direction. Stops past 9999 (or below -9999, or after
// a bounded number of steps when the tolerance cannot be reached) and gives the x reached.
// yield runs on every step so the user interface stays alive.
double StepSearch(const ResponseModel& model, double P, double target, double start,
                  const std::function<void()>& yield);

// The 15 curve points (index 0..14) of a span fit: point i targets (n - 1 + 4096 i / 61440) / n.
std::array<double, 15> FitCurvePoints(const ResponseModel& model, double P, double n,
                                      const std::function<void()>& yield);

// The zero word that makes a detector reading R read as the ratio word V: V rounded to the
// nearest (a half to even) times 2048 / R, cut to its whole part. Zero gas is V = 61440.
std::optional<double> SinglePointWord(double V, double R);
inline std::optional<double> ZeroGasWord(double R) { return SinglePointWord(kFullScale, R); }

// The O2 zero word from the averaged zero readings: the average less 10, or nothing when
// the average lies outside 3170..5640 (no sensible O2 cell reads that at zero).
std::optional<double> O2ZeroWord(double average);

}  // namespace kelvo
