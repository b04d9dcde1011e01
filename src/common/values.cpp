#include "common/values.h"

#include <algorithm>
#include <charconv>
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
    // from_chars, unlike strtod, ignores the C locale: a desktop set to German would
    // otherwise read "12.5" as 12.
    double value = 0;
    const char* first = number.data();
    if (*first == '-') ++first;  // from_chars takes no sign of its own for "-.5"
    const auto parsed = std::from_chars(first, number.data() + number.size(), value);
    if (parsed.ec == std::errc::result_out_of_range) {
        // Too many digits before the point overflow; too many zeros after it underflow.
        const std::string_view whole(first, number.find('.') == std::string::npos
                                                ? number.data() + number.size() - first
                                                : number.data() + number.find('.') - first);
        const bool large = whole.find_first_not_of('0') != std::string_view::npos;
        value = large ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return number[0] == '-' ? -value : value;
}

std::optional<double> StrictNumber(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    std::string number(text);
    const size_t separator = number.find_first_of(",.");
    if (separator != std::string::npos) number[separator] = '.';
    const auto digitOrPoint = [](char c) { return (c >= '0' && c <= '9') || c == '.'; };
    const bool digitsOnly = std::all_of(number.begin(), number.end(), digitOrPoint);
    if (!digitsOnly || std::count(number.begin(), number.end(), '.') > 1 ||
        number.find_first_of("0123456789") == std::string::npos)
        return std::nullopt;
    // The lenient reader already knows how to read such a text; only the refusals differ.
    const double value = ParseNumber(number);
    if (!std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

}  // namespace kelvo

namespace kelvo {
std::string NumberText(double value) {
    if (value == 0 || !std::isfinite(value)) return "0";
    // Single-precision image values print with 7 significant digits, like the tools'
    // number format; a wider value keeps up to 15.
    // to_chars writes a point whatever the C locale says, as files and logs need.
    char buffer[64];
    const float asFloat = static_cast<float>(value);
    const int precision = static_cast<double>(asFloat) == value ? 7 : 15;
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    return std::string(buffer, written.ptr);
}
}  // namespace kelvo
