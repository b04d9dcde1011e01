#include "calibration/calibration_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace kelvo {
namespace {

// 61440 * 2048 / R cut to its whole part, for readings that divide it and their neighbours;
// the O2 zero's average on and beside both bounds.
TEST(CalibrationMath, SinglePointWordsAtTheirDecidingPoints) {
    for (const double R : {1.0, 2.0, 3.0, 0.5, 3000.0, 3000.5, 4095.0, 4096.0, 4097.0, 61440.0,
                           125829119.0, 125829120.0, 125829121.0})
        EXPECT_EQ(ZeroGasWord(R), std::floor(125829120 / R)) << R;
    EXPECT_FALSE(ZeroGasWord(0));
    EXPECT_FALSE(ZeroGasWord(-5));
    // A span gas's ratio word is rounded half to even before it is divided, and the
    // quotient is cut: V / R at and beside the halves of both.
    for (const auto& [V, R, Z] : {std::tuple{2.5, 2048.0, 2.0}, {3.5, 2048.0, 4.0},
                                   {-2.5, 2048.0, -2.0}, {2.49, 2048.0, 2.0}, {3.0, 4096.0, 1.0},
                                   {-3.0, 4096.0, -1.0}, {3.0, 4095.0, 1.0},
                                   {40000.4, 3000.0, 27306.0}})
        EXPECT_EQ(SinglePointWord(V, R), Z) << V << " / " << R;
    for (const double a : {0.0, 3169.0, 3169.8, 3169.99, 3170.0, 3170.2, 5639.8, 5640.0, 5640.2})
        EXPECT_EQ(O2ZeroWord(a), a >= 3170 && a <= 5640 ? std::optional(a - 10) : std::nullopt)
            << a;
}

// Each detector's curve at two concentrations, to ten digits: a coefficient typed wrong in its
// last digit moves the curve by about 1e-7.
TEST(CalibrationMath, ModelsStartAtOneAndFollowTheirDetectorsCurve) {
    struct Curve {
        std::optional<ResponseModel> model;
        double at200, at2000;
    };
    const Curve curves[] = {
        {ModelForChannelKind(1), 0.9455710874135164, 0.7298638504167692},
        {ModelForChannelKind(2), 0.839946126088289, 0.5099799146423123},
        {ModelForChannelKind(9), 0.9482651664147077, 0.7348692599929632},
        {ModelForDetectorCode(0)->model, 0.9455710874135164, 0.7298638504167692},
        {ModelForDetectorCode(1)->model, 0.839946126088289, 0.5099799146423123},
        {ModelForDetectorCode(2)->model, 0.9482651664147077, 0.7348692599929632},
        {ModelForDetectorCode(3)->model, 0.8522236123294525, 0.5131066561571405},
    };
    for (const Curve& c : curves) {
        ASSERT_TRUE(c.model) << c.at200;
        EXPECT_DOUBLE_EQ((*c.model)(0), 1.0) << c.at200;
        EXPECT_NEAR((*c.model)(200), c.at200, 1e-10);
        EXPECT_NEAR((*c.model)(2000), c.at2000, 1e-10);
    }
    EXPECT_FALSE(ModelForChannelKind(0));
    EXPECT_FALSE(ModelForChannelKind(3));
    EXPECT_FALSE(ModelForDetectorCode(4));
    EXPECT_FALSE(ModelForDetectorCode(15));
    for (const auto& [code, factor] : {std::pair{0, 2}, {1, 1}, {2, 2}, {3, 1}})
        EXPECT_EQ(ModelForDetectorCode(code)->factor, factor) << code;
}

TEST(CalibrationMath, StepSearchFindsThePointWithinTolerance) {
    const ResponseModel F = *ModelForChannelKind(1);
    int yields = 0;
    const double x = StepSearch(F, 1.0, 0.8, 0, [&] { ++yields; });
    EXPECT_LT(std::fabs(F(x) - 0.8), 0.0001);
    EXPECT_GT(yields, 0);
    // A point one first step down the curve takes that one step.
    yields = 0;
    EXPECT_EQ(StepSearch(F, 1.0, F(100), 0, [&] { ++yields; }), 100);
    EXPECT_EQ(yields, 1);
    // The step halves on each turn: 100, 200, back 50, on 25.
    for (const auto& [point, steps] : {std::pair{150, 3}, std::pair{175, 4}}) {
        yields = 0;
        EXPECT_EQ(StepSearch(F, 1.0, F(point), 0, [&] { ++yields; }), point);
        EXPECT_EQ(yields, steps) << point;
    }
    // An error of exactly the tolerance is not within it. This curve is flat at 0.5 past 0
    // (its exponential underflows), so 0.5^13 is 2^-13 exactly and so is the error below.
    const ResponseModel flat{-1000, 0.5, 0, 1, 0};
    EXPECT_GT(StepSearch(flat, 13, std::ldexp(1.0, -13) - 0.0001, 100, {}), 9999);
    EXPECT_EQ(StepSearch(flat, 13, std::ldexp(1.0, -13) - 0.00009, 100, {}), 100);
}

TEST(CalibrationMath, StepSearchThatCannotConvergeStopsPast9999) {
    const ResponseModel F = *ModelForChannelKind(1);
    // F never falls below 1 - w1 - w2 - w3 = 0.22, so 0.1 is out of reach.
    const double x = StepSearch(F, 1.0, 0.1, 0, {});
    EXPECT_GT(x, 9999);
    EXPECT_LE(x, 9999 + 100);
    // It stops on the first step past 9999, not on 9999 itself. Out of reach below (a target
    // above the curve) it turns at once and halves its step to 50.
    for (const auto& [target, start, end] : {std::tuple{0.1, 9899.0, 10099.0},
                                             {0.1, 9900.0, 10000.0},
                                             {1e300, -9949.0, -10049.0},
                                             {1e300, -9950.0, -10000.0}})
        EXPECT_EQ(StepSearch(F, 1.0, target, start, {}), end) << start;
}

TEST(CalibrationMath, StepSearchWithAnUnreachableSideEnds) {
    const ResponseModel F = *ModelForChannelKind(2);
    // A negative exponent turns the curve round: the search walks off the low side.
    const double x = StepSearch(F, -1.0, 2.0, 0, {});
    EXPECT_LT(x, -9999);
    // A steep exponent whose tolerance the halving cannot reach still ends.
    const double y = StepSearch(F, 1e7, 0.5, 0, {});
    EXPECT_TRUE(std::isfinite(y));
    // At an exponent of 1e14 neighbouring doubles of F lie about 1 % apart once raised to
    // it, so no x comes within the tolerance: the search closes in until its step is
    // nothing and stops after its 20000 steps.
    int steps = 0;
    EXPECT_NEAR(StepSearch(F, 1e14, 0.5, 0, [&] { ++steps; }), 5.4e-12, 1e-13);
    EXPECT_EQ(steps, 20000);
}

TEST(CalibrationMath, FitCurveFallsFromPoint0ToPoint14) {
    const ResponseModel F = *ModelForChannelKind(1);
    const auto points = FitCurvePoints(F, 1.0, 1, {});
    // Point 14 targets the highest ratio, so the lowest concentration; the lowest points
    // lie below what the curve reaches and stop past 9999.
    int reached = 0;
    for (int p = 0; p <= 14; ++p) {
        if (points[p] > 9999) continue;
        ++reached;
        EXPECT_LT(std::fabs(F(points[p]) - 4096.0 * p / 61440), 0.0001) << p;
        if (p < 14) {
            EXPECT_GT(points[p], points[p + 1]) << p;
        }
    }
    EXPECT_GE(reached, 5);
    EXPECT_GT(points[0], 9999);
    // The first search starts from no gas at all; each later one from the point before.
    EXPECT_EQ(points[14], StepSearch(F, 1.0, 4096.0 * 14 / 61440, 0, {}));
}

}  // namespace
}  // namespace kelvo
