#include "settings/platform6_codecs.h"

#include <algorithm>
#include <cmath>

#include "common/values.h"

namespace kelvo::p6 {

namespace {
constexpr double kBaseLineSpan = 400;  // percent over the byte's 256 steps
constexpr double kBaseLineLow = -200;
constexpr int kLargestIntTimeCode = 7;
constexpr uint8_t kSevenBits = 127;
constexpr uint8_t kHighBit = 128;
}  // namespace

double baseLinePercent(uint8_t b) {
    return Int(b * kBaseLineSpan / 256 + kBaseLineLow);
}

std::string baseLineText(uint8_t b) {
    return NumberText(baseLinePercent(b));
}

uint8_t baseLineByte(double percent) {
    if (!std::isfinite(percent)) percent = 0;
    const double b = RoundUp(static_cast<float>((percent - kBaseLineLow) / kBaseLineSpan * 256));
    return static_cast<uint8_t>(std::clamp(b, 0.0, 255.0));
}

std::string intTimeText(uint8_t code) {
    return NumberText(std::ldexp(1.0, (code & kLargestIntTimeCode) + 1));
}

uint8_t intTimeCode(double seconds) {
    if (!(seconds >= 2)) return 0;
    const double n = RoundHalfEven(std::log2(seconds / 2));
    return static_cast<uint8_t>(std::min(n, double(kLargestIntTimeCode)));
}

uint8_t triggerTimeByte(double time, bool minutes) {
    return static_cast<uint8_t>((ToInteger(time) & kSevenBits) | (minutes ? kHighBit : 0));
}

std::string triggerTimeText(uint8_t bits) {
    return std::to_string(bits & kSevenBits);
}

std::string levelText(uint8_t bits) {
    const std::string level = NumberText(RoundHalfEven((bits & kSevenBits) / 127.0 * 100));
    return (bits & kHighBit) ? "-" + level : level;
}

uint8_t levelByte(double percent) {
    if (!std::isfinite(percent)) percent = 0;
    const double steps = RoundHalfEven(std::min(std::abs(percent), 100.0) / 100 * 127);
    return static_cast<uint8_t>(int(steps) | (percent < 0 ? kHighBit : 0));
}

}  // namespace kelvo::p6
