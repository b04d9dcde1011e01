// Output-function shapes: clicking cycles within the kind, and each shape stands for its bits.
#include "settings/function_shapes.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(FunctionShapes, FourClicksReturnASignedAnalogFunctionToItsShape) {
    for (int start = 4; start <= 7; ++start) {
        int shape = start;
        for (int click = 0; click < 4; ++click) {
            shape = nextFunctionShape(shape, FunctionKind::SignedAnalog);
            EXPECT_GE(shape, 4);
            EXPECT_LE(shape, 7);
        }
        EXPECT_EQ(shape, start);
    }
}

TEST(FunctionShapes, AClickOnAShapeOfAnotherKindStartsTheKindOver) {
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
