#pragma once
// The shapes an output function can take: twelve pictures, one visible per function, each
// standing for a sign and a slope on a digital or analogue output, over half the output's
// range (a sign and a slope) or over all of it (a slope only).

#include <array>

namespace kelvo {

// Digital and SignedAnalog span half the range (0..100 or -100..0), UnsignedAnalog and
// UnsignedDigital all of it (-100..100).
enum class FunctionKind { Digital, SignedAnalog, UnsignedAnalog, UnsignedDigital };

constexpr int kFunctionShapes = 12;

// The pictures' names, in shape order.
extern const std::array<const char*, kFunctionShapes> kShapePictureNames;

// The shape after a click: the next one of its kind, or the kind's first.
int nextFunctionShape(int current, FunctionKind kind);
// The shape of a kind that shows a sign and a slope.
int functionShapeFor(FunctionKind kind, bool positiveSign, bool positiveSlope);
// The bits a shape stands for: sign 1 = negative, slope 1 = positive. -1 (none) gives 0.
// The shapes the sign pictures of a digital output's or trigger's level draw: a step up
// for a positive level, a step down for a negative one.
constexpr int kPositiveLevelShape = 0;
constexpr int kNegativeLevelShape = 3;

int shapeSignBit(int shape);
int shapeSlopeBit(int shape);
FunctionKind kindOfShape(int shape);
// What a function of this shape adds to an output, in percent, for its input's place x
// between A (0) and B (1). The simulations add it up and the shape's picture draws it, so
// the picture always shows what the output will do. A shape that is none adds nothing.
double shapeContribution(int shape, double x);

}  // namespace kelvo
