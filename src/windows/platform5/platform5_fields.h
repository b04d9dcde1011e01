#pragma once
// What the two platform-5 windows (frm5 and the TWA-alarm window frm5Chart) share of their
// mapping: the RAM addresses both use beyond the general panel's, and the rules both apply.

#include <cstdint>

#include "settings/field_binding.h"

namespace kelvo {

struct Context;

namespace p5ram {
constexpr int kStatus = 14;
constexpr int kChannelValues = 20;     // + 2c, words of channels 0..3
constexpr int kFunctionChannel = 162;  // + 5i
constexpr int kParameterA = 163;       // + 5i, word
constexpr int kParameterB = 165;       // + 5i, word
constexpr int kOutputConfig = 189;     // + 4j
constexpr int kTempUnit = 205;
constexpr int kShiftChannel = 207;
}  // namespace p5ram

inline constexpr const char* kCorruptSensorMessage = "Sensor is corrupt";
// The temperature unit bytes: unit code 1 (Celsius) or 2 (Fahrenheit) of channel 0.
inline constexpr int kCelsiusByte = 16;
inline constexpr int kFahrenheitByte = 32;

// Whether every RAM byte from first on for count bytes holds a value read from the sensor
// or a file; such values can be shown without asking the sensor again.
bool ramKnown(const Context& ctx, int first, int count);

// A function parameter as the sensor keeps it: a whole number of 15 bits beside its flag
// bit, held at the ends of that range rather than wrapped into the flag.
uint16_t parameterWord(float raw);

}  // namespace kelvo
