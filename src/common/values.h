#pragma once
// Conversions between the bytes and words a sensor stores and the numbers people see.

#include <optional>
#include <string_view>

namespace kelvo {

// Rounding the way the sensor tools always have: halves go to the even neighbour.
double RoundHalfEven(double value);
// Whole part toward zero (-2.5 -> -2).
double Fix(double value);
// Largest whole number not above the value (-2.5 -> -3).
double Int(double value);
// A value taken as an integer: rounded half to even, saturated to the int64 range.
long long ToInteger(double value);

double SignedWord(float value);
double SignedByte(float value);
double UnsignedWord(float value);
// Both clamp a value above 65535 to 65535, in the caller's variable too.
unsigned char HighByte(float& value);
unsigned char LowByte(float& value);
double RoundUp(float value);
// Lenient text to number: "12,5 ppm" -> 12.5, "1.000,5" -> 1, "abc" -> 0.
double ParseNumber(std::string_view text);
// The number ParseNumber would take from the text; nothing when the text holds no digit
// where a number could start, so "abc" is told apart from "0".
std::optional<double> NumberIn(std::string_view text);
// What a person types where a value is sent to a sensor: the whole text, blanks around it
// aside, is one finite decimal number with a point or a comma before its fraction. Nothing
// for anything else ("1e3", "=2+5", "12 ppm", "1.000,5", ""): a guess there would be sent.
std::optional<double> StrictNumber(std::string_view text);

}  // namespace kelvo

#include <string>

namespace kelvo {
// A number as its shortest decimal text ("6", "12.5", "-0.25"), the way values are shown.
std::string NumberText(double value);
}  // namespace kelvo
