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

}  // namespace
}  // namespace kelvo
