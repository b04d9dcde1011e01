#pragma once
// What the two platform-5 windows (frm5 and the TWA-alarm window frm5Chart) share of their
// mapping: the RAM addresses both show, the codecs of the fields both have, and the checks
// both run.

#include <QString>
#include <array>
#include <cstdint>
#include <functional>

#include "settings/field_binding.h"

class QAction;
class QLineEdit;

namespace kelvo {

struct Context;

namespace p5ram {
constexpr int kStatus = 14;
constexpr int kChannelValues = 20;  // + 2c, words of channels 0..3
constexpr int kDisplayMode = 31;
constexpr int kFunctionChannel = 162;  // + 5i
constexpr int kParameterA = 163;       // + 5i, word
constexpr int kParameterB = 165;       // + 5i, word
constexpr int kOutputConfig = 189;     // + 4j
constexpr int kTempUnit = 205;
constexpr int kShiftChannel = 207;
constexpr int kNetworkId = 208;
}  // namespace p5ram

inline constexpr const char* kCorruptSensorMessage = "Sensor is corrupt";
inline constexpr int kHighestNetworkId = 29;
// The temperature unit bytes: unit code 1 (Celsius) or 2 (Fahrenheit) of channel 0.
inline constexpr int kCelsiusByte = 16;
inline constexpr int kFahrenheitByte = 32;

// Whether every RAM byte from first on for count bytes holds a value read from the sensor
// or a file; such values can be shown without asking the sensor again.
bool ramKnown(const Context& ctx, int first, int count);

// The network ID: shown as it is, stored held within 0..29; a sensor's ID above 29 is no
// value the field allows.
FieldCodec networkIdCodec();
// Leaving the ID field shows the number as it will be stored; the ID is stored only when
// the window is read.
bool checkNetworkId(QLineEdit* field);

// A function parameter as the sensor keeps it: a whole number of 15 bits beside its flag
// bit, held at the ends of that range rather than wrapped into the flag.
uint16_t parameterWord(float raw);

// A pick list of the display modes by their captions as the menu holds them now.
template <size_t N>
FieldCodec displayModeCodec(const std::array<QAction*, N>& items);
FieldCodec actionCaptionCodec(std::function<QString(int)> caption, int count);

template <size_t N>
FieldCodec displayModeCodec(const std::array<QAction*, N>& items) {
    return actionCaptionCodec([items](int k) { return items[static_cast<size_t>(k)]->text(); },
                              int(N));
}

}  // namespace kelvo
