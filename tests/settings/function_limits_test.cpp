// The platform-6 function maths: what a function gives at and beyond its limits, and the
// "6v3" settings worked out into functions and back; and the output-function shapes:
// clicking cycles within the kind, and each shape stands for its bits.
#include "settings/function_limits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "settings/function_shapes.h"

namespace kelvo {
namespace {

FunctionLimits someLimits() {
    FunctionLimits f;
    f.FLow[1] = -1000;
    f.FHigh[1] = 1000;
    f.FLow[4] = 20;
    f.FHigh[4] = 60;
    return f;
}

TEST(FunctionLimits, GetFunkResultAtAndBeyondItsLimits) {
    const FunctionLimits f = someLimits();
    const struct {
        int n;
        double x;
        double expected;
    } cases[] = {
        {1, -1000, -100}, {1, 0, 0},   {1, 1000, 100}, {1, 5000, 100}, {1, -1e9, -100},
        {1, 500, 50},     {4, 200, 0}, {4, -1e6, 0},   {4, 400, 50},   {4, 600, 100},
        {4, 1e6, 100},    {0, 1, 0},   {7, 1, 0},      {2, 5, 0},  // equal limits: no span, 0
        {-3, 1, 0}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(GetFunkResult(f, c.n, c.x), c.expected) << c.n << " at " << c.x;
    FunctionLimits broken = f;
    broken.FHigh[1] = NAN;
    EXPECT_EQ(GetFunkResult(broken, 1, 3), 0);
}

TEST(FunctionLimits, HalvingSearchesFindTheirTargetAndAlwaysEnd) {
    EXPECT_NEAR(halvingSearch(0, 9999, 100, true, 0, [](double x) { return x / 2; }), 200, 1e-6);
    EXPECT_NEAR(halvingSearch(100, 50, 10, false, 0, [](double x) { return 1000 / x; }), 100, 1e-6);
    // A target the value never reaches: the search still ends.
    const double end = halvingSearch(0, 9999, 500, true, 0, [](double) { return 0.0; });
    EXPECT_TRUE(std::isfinite(end));
}

TEST(FunctionLimits, ACZeroOrNoNumberGivesNoFunctions) {
    SixV3Values v{500, 1000, 0, 600, 1200, 1500, 80, 50, 900};
    EXPECT_FALSE(limitsOf6v3(v));
    v[kC] = 2000;
    v[kE] = NAN;
    EXPECT_FALSE(limitsOf6v3(v));
}

// Settings as a technician sets them (A1 < B < C, D1 < E < F, ...) come back as typed.
TEST(FunctionLimits, SixV3SettingsComeBackFromTheirFunctions) {
    std::mt19937 random(613);
    for (int round = 0; round < 200; ++round) {
        auto pick = [&](int low, int high) {
            return double(std::uniform_int_distribution<int>(low, high)(random));
        };
        SixV3Values v{};
        // Within the reach of the searches: B at most half of C, E well short of F.
        v[kC] = pick(1000, 5000);
        v[kA1] = pick(100, int(v[kC]) / 4);
        v[kB] = pick(int(v[kA1]) + 50, int(v[kC]) / 2);
        v[kF] = pick(1000, int(v[kC]));
        v[kD1] = pick(100, int(v[kF]) / 2);
        v[kE] = pick(int(v[kD1]) + 50, int(v[kD1] + 0.8 * (v[kF] - v[kD1])));
        v[kG1] = pick(0, 100);
        v[kI] = pick(10, 90);
        v[kK] = pick(int(v[kI]) + 1, int(v[kC]) - 1);
        const std::optional<FunctionLimits> f = limitsOf6v3(v);
        ASSERT_TRUE(f);
        const SixV3Values back = sixV3ValuesOf(*f);
        for (int k = 0; k < kSixV3Settings; ++k) {
            EXPECT_NEAR(back[k], v[k], 1) << "setting " << k << " round " << round;
        }
    }
}

// Four clicks return a signed analog function to its shape; a click on a shape of another
// kind starts the kind over.
TEST(FunctionShapes, ClicksCycleWithinTheKind) {
    for (int start = 4; start <= 7; ++start) {
        int shape = start;
        for (int click = 0; click < 4; ++click) {
            shape = nextFunctionShape(shape, FunctionKind::SignedAnalog);
            EXPECT_GE(shape, 4);
            EXPECT_LE(shape, 7);
        }
        EXPECT_EQ(shape, start);
    }
    EXPECT_EQ(nextFunctionShape(6, FunctionKind::Digital), 0);
    EXPECT_EQ(nextFunctionShape(-1, FunctionKind::SignedAnalog), 4);
    EXPECT_EQ(nextFunctionShape(9, FunctionKind::UnsignedAnalog), 8);
    EXPECT_EQ(nextFunctionShape(3, FunctionKind::Digital), 0);
}

TEST(FunctionShapes, EachShapeStandsForTheBitsThatChoseIt) {
    for (FunctionKind kind : {FunctionKind::Digital, FunctionKind::SignedAnalog}) {
        for (bool positiveSign : {false, true}) {
            for (bool positiveSlope : {false, true}) {
                const int shape = functionShapeFor(kind, positiveSign, positiveSlope);
                EXPECT_EQ(kindOfShape(shape), kind);
                EXPECT_EQ(shapeSignBit(shape), positiveSign ? 0 : 1);
                EXPECT_EQ(shapeSlopeBit(shape), positiveSlope ? 1 : 0);
            }
        }
    }
    EXPECT_STREQ(kShapePictureNames[functionShapeFor(FunctionKind::SignedAnalog, false, true)],
                 "pctFNsignPslope");
    EXPECT_STREQ(kShapePictureNames[functionShapeFor(FunctionKind::Digital, false, true)],
                 "pctFDigNsignPslope");
    EXPECT_EQ(shapeSignBit(-1), 0);
    EXPECT_EQ(shapeSlopeBit(-1), 0);
}

// Each shape's contribution at A, halfway and B: half-range shapes from 0 or to -100,
// full-range shapes from -100 to 100; the kind of each full-range digital shape toggles.
TEST(FunctionShapes, EachShapeAddsItsRampBetweenAAndB) {
    const struct {
        const char* picture;
        double atA, halfway, atB;
    } cases[] = {{"pctFDigPsignPslope", 0, 50, 100},  {"pctFDigPsignNslope", 100, 50, 0},
                 {"pctFDigNsignPslope", -100, -50, 0}, {"pctFDigNsignNslope", 0, -50, -100},
                 {"pctFNsignNslope", 0, -50, -100},    {"pctFNsignPslope", -100, -50, 0},
                 {"pctFPsignNslope", 100, 50, 0},      {"pctFPsignPslope", 0, 50, 100},
                 {"pctFPslope", -100, 0, 100},         {"pctFNslope", 100, 0, -100},
                 {"pctFDigPslope", -100, 0, 100},      {"pctFDigNslope", 100, 0, -100}};
    for (int shape = 0; shape < kFunctionShapes; ++shape) {
        const auto& c = cases[shape];
        EXPECT_STREQ(kShapePictureNames[shape], c.picture);
        EXPECT_DOUBLE_EQ(shapeContribution(shape, 0), c.atA) << c.picture;
        EXPECT_DOUBLE_EQ(shapeContribution(shape, 0.5), c.halfway) << c.picture;
        EXPECT_DOUBLE_EQ(shapeContribution(shape, 1), c.atB) << c.picture;
    }
    EXPECT_EQ(shapeContribution(-1, 1), 0);
    EXPECT_EQ(nextFunctionShape(10, FunctionKind::UnsignedDigital), 11);
    EXPECT_EQ(nextFunctionShape(11, FunctionKind::UnsignedDigital), 10);
    EXPECT_EQ(nextFunctionShape(8, FunctionKind::UnsignedDigital), 10);
    EXPECT_EQ(functionShapeFor(FunctionKind::UnsignedDigital, true, false), 11);
    EXPECT_EQ(kindOfShape(10), FunctionKind::UnsignedDigital);
}

}  // namespace
}  // namespace kelvo
