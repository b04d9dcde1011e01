#include "calibration/calibration_math.h"

#include <cmath>

#include "common/values.h"

namespace kelvo {
namespace {

constexpr ResponseModel kModelA{-0.00185441, 0.115081, 0.42264, 0.114645, 0.2415};
constexpr ResponseModel kModelB{-0.00995154, 0.0717408, 0.218223, 0.194551, 0.386614};
constexpr ResponseModel kModelC{-0.00162505, 0.124038, 0.390136, 0.130051, 0.213468};
constexpr ResponseModel kModelD{-0.01291, 0.0514902, 0.178395, 0.173295, 0.480166};

constexpr double kTolerance = 0.0001;
constexpr double kFirstStep = 100;
// Far more than a converging search needs (about a hundred steps to cross the range and
// fifty halvings); it only stops a search whose tolerance is out of reach.
constexpr int kMaxSteps = 20000;

}  // namespace

double ResponseModel::operator()(double x) const {
    return w1 * std::exp(K * x) + w2 * std::exp(K * k2 * x) + w3 * std::exp(K * k2 * k2 * x) + 1 -
           w1 - w2 - w3;
}

std::optional<ResponseModel> ModelForChannelKind(int kind) {
    switch (kind) {
        case 1:
            return kModelA;
        case 2:
            return kModelB;
        case 9:
            return kModelC;
        default:
            return std::nullopt;
    }
}

std::optional<DetectorModel> ModelForDetectorCode(int code) {
    switch (code) {
        case 0:
            return DetectorModel{kModelA, 2};
        case 1:
            return DetectorModel{kModelB, 1};
        case 2:
            return DetectorModel{kModelC, 2};
        case 3:
            return DetectorModel{kModelD, 1};
        default:
            return std::nullopt;
    }
}

double StepSearch(const ResponseModel& model, double P, double target, double start,
                  const std::function<void()>& yield) {
    double x = start;
    double step = kFirstStep;
    int direction = 1;
    for (int steps = 0; steps < kMaxSteps; ++steps) {
        const double err = std::pow(model(x), P) - target;
        if (std::fabs(err) < kTolerance) break;
        if (err > 0 && direction < 0) {
            direction = 1;
            step /= 2;
        }
        if (err < 0 && direction > 0) {
            direction = -1;
            step /= 2;
        }
        x += step * direction;
        if (x > kStepSearchLimit || x < -kStepSearchLimit || std::isnan(err)) break;
        if (yield) yield();
    }
    return x;
}

std::array<double, 15> FitCurvePoints(const ResponseModel& model, double P, double n,
                                      const std::function<void()>& yield) {
    std::array<double, 15> points{};
    double x = 0;
    for (int p = 14; p >= 0; --p) {
        const double target = (n - 1 + 4096.0 * p / kFullScale) / n;
        x = StepSearch(model, P, target, x, yield);
        points[p] = x;
    }
    return points;
}

std::optional<double> SinglePointWord(double V, double R) {
    if (!(R > 0)) return std::nullopt;
    return Fix(RoundHalfEven(V) * kUnity / R);
}

std::optional<double> O2ZeroWord(double average) {
    constexpr double kLowest = 3170;
    constexpr double kHighest = 5640;
    if (!(average >= kLowest && average <= kHighest)) return std::nullopt;
    return average - 10;
}

}  // namespace kelvo
