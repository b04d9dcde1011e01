#pragma once
// The shapes an output function can take: ten pictures, one visible per function, each
// standing for a sign and a slope on a digital, signed or unsigned analogue output.

#include <array>

namespace kelvo {

enum class FunctionKind { Digital, SignedAnalog, UnsignedAnalog };

constexpr int kFunctionShapes = 10;

// The pictures' names, in shape order.
extern const std::array<const char*, kFunctionShapes> kShapePictureNames;

// The shape after a click: the next one of its kind, or the kind's first.
int nextFunctionShape(int current, FunctionKind kind);
// The shape of a kind that shows a sign and a slope.
int functionShapeFor(FunctionKind kind, bool positiveSign, bool positiveSlope);
// The bits a shape stands for: sign 1 = negative, slope 1 = positive. -1 (none) gives 0.
int shapeSignBit(int shape);
int shapeSlopeBit(int shape);
FunctionKind kindOfShape(int shape);
// What a function of this shape adds to its output, in percent, for its channel value at
// ratio percent of the way from A to B (0..100). The simulation adds it up and the shape's
// picture draws it, so the picture always shows what the output will do. A shape that is
// none adds nothing.
double shapeContribution(int shape, double ratio);

}  // namespace kelvo
