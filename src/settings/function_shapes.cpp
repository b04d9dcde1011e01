#include "settings/function_shapes.h"

namespace kelvo {

const std::array<const char*, kFunctionShapes> kShapePictureNames = {
    "pctFDigPsignPslope", "pctFDigPsignNslope", "pctFDigNsignPslope", "pctFDigNsignNslope",
    "pctFNsignNslope",    "pctFNsignPslope",    "pctFPsignNslope",    "pctFPsignPslope",
    "pctFPslope",         "pctFNslope"};

namespace {
struct ShapeBits {
    int sign;
    int slope;
};
constexpr std::array<ShapeBits, kFunctionShapes> kBits = {
    {{0, 1}, {0, 0}, {1, 1}, {1, 0}, {1, 0}, {1, 1}, {0, 0}, {0, 1}, {0, 1}, {0, 0}}};

struct KindRange {
    int first;
    int last;
};
KindRange rangeOf(FunctionKind kind) {
    switch (kind) {
        case FunctionKind::Digital:
            return {0, 3};
        case FunctionKind::SignedAnalog:
            return {4, 7};
        case FunctionKind::UnsignedAnalog:
            return {8, 9};
    }
    return {0, 3};
}
}  // namespace

int nextFunctionShape(int current, FunctionKind kind) {
    const KindRange range = rangeOf(kind);
    if (current < range.first || current >= range.last) return range.first;
    return current + 1;
}

int functionShapeFor(FunctionKind kind, bool positiveSign, bool positiveSlope) {
    switch (kind) {
        case FunctionKind::Digital:
            return positiveSign ? (positiveSlope ? 0 : 1) : (positiveSlope ? 2 : 3);
        case FunctionKind::SignedAnalog:
            return positiveSign ? (positiveSlope ? 7 : 6) : (positiveSlope ? 5 : 4);
        case FunctionKind::UnsignedAnalog:
            return positiveSlope ? 8 : 9;
    }
    return 0;
}

int shapeSignBit(int shape) {
    return shape >= 0 && shape < kFunctionShapes ? kBits[shape].sign : 0;
}

int shapeSlopeBit(int shape) {
    return shape >= 0 && shape < kFunctionShapes ? kBits[shape].slope : 0;
}

double shapeContribution(int shape, double ratio) {
    if (shape < 0 || shape >= kFunctionShapes) return 0;
    // A negative sign moves the output down: its share runs between -100 and 0.
    const double rising = kBits[shape].sign ? ratio - 100 : ratio;
    const double falling = kBits[shape].sign ? -ratio : 100 - ratio;
    return kBits[shape].slope ? rising : falling;
}

FunctionKind kindOfShape(int shape) {
    if (shape >= 8) return FunctionKind::UnsignedAnalog;
    if (shape >= 4) return FunctionKind::SignedAnalog;
    return FunctionKind::Digital;
}

}  // namespace kelvo
