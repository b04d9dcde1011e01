#include "settings/platform5_codecs.h"

#include <algorithm>
#include <cmath>

#include "common/values.h"

namespace kelvo::p5 {

namespace {
constexpr double kBaseLineZero = 32768;
constexpr double kFullScale = 16384;
constexpr int kShiftStepZero = 15;  // step 15 is no shift at all
constexpr int kShiftStepMax = 31;
constexpr double kShiftStep = 250;
}  // namespace

std::string baseLineText(uint16_t word) {
    return NumberText(RoundHalfEven((word - kBaseLineZero) / kFullScale * 100));
}

uint16_t baseLineWord(double percent) {
    const double raw = RoundHalfEven(percent / 100 * kFullScale + kBaseLineZero);
    return static_cast<uint16_t>(std::clamp(raw, 0.0, 65535.0));
}

std::string intTimeText(uint8_t n) {
    return NumberText(std::ldexp(1.0, n + 1));
}

uint8_t intTimeByte(double seconds) {
    if (!(seconds >= 2)) return 0;  // also a field that holds no number
    return static_cast<uint8_t>(std::min(Fix(std::log2(seconds)) - 1, 255.0));
}

std::string triggerTimeText(uint8_t bits) {
    return NumberText((bits & 127) / 4.0);
}

uint8_t triggerTimeByte(double time, bool minutes) {
    // The quarter count keeps its low seven bits, as the sensor's byte does.
    const long long quarters = ToInteger(time * 4);
    return static_cast<uint8_t>((quarters & 127) | (minutes ? 128 : 0));
}

std::string triggerLevelText(uint8_t bits) {
    const std::string level = NumberText(Fix((bits & 127) / 127.0 * 100));
    return (bits & 128) ? "-" + level : level;
}

uint8_t triggerLevelByte(double percent) {
    const long long steps = ToInteger(std::abs(percent) / 100 * 127);
    return static_cast<uint8_t>((steps & 127) | (percent < 0 ? 128 : 0));
}

double shiftAmount(uint8_t bits) {
    return (bits & 31) * kShiftStep - 3750;
}

uint8_t shiftByte(int channel, double amount) {
    // Amounts below the lowest step are held at it rather than wrapping into another channel.
    const long long step =
        std::clamp<long long>(ToInteger(amount / kShiftStep + kShiftStepZero), 0, kShiftStepMax);
    return static_cast<uint8_t>((channel & 7) * 32 + step);
}

std::string outputLevelText(uint16_t word) {
    return NumberText(std::min(RoundHalfEven(word / kFullScale * 100), 100.0));
}

}  // namespace kelvo::p5
