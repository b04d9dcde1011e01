#include "common/values.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace kelvo {

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    return std::nearbyint(value);  // default rounding mode is to nearest, ties to even
}

double Fix(double value) { return std::trunc(value); }

double Int(double value) { return std::floor(value); }

long long ToInteger(double value) {
    if (std::isnan(value)) return 0;
    const double rounded = RoundHalfEven(value);
    if (rounded >= 9.2e18) return std::numeric_limits<long long>::max();
    if (rounded <= -9.2e18) return std::numeric_limits<long long>::min();
    return static_cast<long long>(rounded);
}

double SignedWord(float value) {
    if (ToInteger(value) & 0x8000) return static_cast<double>(value) - 65536.0;
    return value;
}

double SignedByte(float value) {
    if (ToInteger(value) & 0x80) return static_cast<double>(value) - 256.0;
    return value;
}

double UnsignedWord(float value) {
    if (value >= 0) return value;
    return static_cast<double>(value) + 65536.0;
}

unsigned char HighByte(float& value) {
    if (value > 65535) value = 65535;
    return static_cast<unsigned char>((ToInteger(value) >> 8) & 0xFF);
}

unsigned char LowByte(float& value) {
    if (value > 65535) value = 65535;
    return static_cast<unsigned char>(ToInteger(value) & 0xFF);
}

double RoundUp(float value) {
    const double v = value;
    if (v > 0 && v != std::floor(v)) return std::floor(v) + 1;
    return std::floor(v);
}

double ParseNumber(std::string_view text) {
    return NumberIn(text).value_or(0);
}

std::optional<double> NumberIn(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (char c : text) {
        if (c >= '0' && c <= '9') kept += c;
        else if (c == ',' || c == '.') kept += '.';
        else if (c == '-') kept += '-';
    }
    // Longest leading part that forms a number: optional minus, digits, one point.
    std::string number;
    size_t i = 0;
    if (i < kept.size() && kept[i] == '-') number += kept[i++];
    bool sawPoint = false;
    bool sawDigit = false;
    for (; i < kept.size(); ++i) {
        const char c = kept[i];
        if (c >= '0' && c <= '9') {
            number += c;
            sawDigit = true;
        } else if (c == '.' && !sawPoint) {
            number += c;
            sawPoint = true;
        } else {
            break;
        }
    }
    if (!sawDigit) return std::nullopt;
    return std::strtod(number.c_str(), nullptr);
}

}  // namespace kelvo

#include <cstdio>

namespace kelvo {
std::string NumberText(double value) {
    if (value == 0 || !std::isfinite(value)) return "0";
    // Single-precision image values print with 7 significant digits, like the tools'
    // number format; a wider value keeps up to 15.
    char buffer[64];
    const float asFloat = static_cast<float>(value);
    if (static_cast<double>(asFloat) == value)
        std::snprintf(buffer, sizeof buffer, "%.7g", value);
    else
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}
}  // namespace kelvo
