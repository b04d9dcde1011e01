#include "settings/function_shapes.h"

namespace kelvo {

const std::array<const char*, kFunctionShapes> kShapePictureNames = {
    "pctFDigPsignPslope", "pctFDigPsignNslope", "pctFDigNsignPslope", "pctFDigNsignNslope",
    "pctFNsignNslope",    "pctFNsignPslope",    "pctFPsignNslope",    "pctFPsignPslope",
    "pctFPslope",         "pctFNslope",         "pctFDigPslope",      "pctFDigNslope"};

namespace {
struct ShapeBits {
    int sign;
    int slope;
};
constexpr std::array<ShapeBits, kFunctionShapes> kBits = {
    {{0, 1}, {0, 0}, {1, 1}, {1, 0}, {1, 0}, {1, 1}, {0, 0}, {0, 1}, {0, 1}, {0, 0}, {0, 1}, {0, 0}}};

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
        case FunctionKind::UnsignedDigital:
            return {10, 11};
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
        case FunctionKind::UnsignedDigital:
            return positiveSlope ? 10 : 11;
    }
    return 0;
}

int shapeSignBit(int shape) {
    return shape >= 0 && shape < kFunctionShapes ? kBits[shape].sign : 0;
}

int shapeSlopeBit(int shape) {
    return shape >= 0 && shape < kFunctionShapes ? kBits[shape].slope : 0;
}

FunctionKind kindOfShape(int shape) {
    if (shape >= 10) return FunctionKind::UnsignedDigital;
    if (shape >= 8) return FunctionKind::UnsignedAnalog;
    if (shape >= 4) return FunctionKind::SignedAnalog;
    return FunctionKind::Digital;
}

double shapeContribution(int shape, double x) {
    if (shape < 0 || shape >= kFunctionShapes) return 0;
    if (shape >= 8) return kBits[shape].slope ? 200 * x - 100 : 100 - 200 * x;
    // Half-range shapes: the slope picks the rising or falling ramp, the sign its half.
    const double ramp = kBits[shape].slope ? 100 * x : 100 - 100 * x;
    return kBits[shape].sign ? ramp - 100 : ramp;
}

}  // namespace kelvo
