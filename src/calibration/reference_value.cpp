#include "calibration/reference_value.h"

#include <algorithm>
#include <cmath>

#include "calibration/calibration.h"
#include "common/context.h"
#include "common/values.h"
#include "model/channels.h"
#include "model/identification.h"

namespace kelvo {
namespace {

constexpr float kO2Channel = 6;
constexpr double kWordTop = 65535;
// Platform 7 keeps its channel words signed.
constexpr double kSignedBottom = -32768;
constexpr double kSignedTop = 32767;

float channelOf(Context& ctx, ReferenceQuantity quantity) {
    switch (quantity) {
        case ReferenceQuantity::Temperature:
            return PlatformTempChannel(ctx);
        case ReferenceQuantity::CO2:
            return PlatformCO2Channel(ctx);
        case ReferenceQuantity::O2:
            break;
    }
    return kO2Channel;
}

// The word a value becomes, with platform 7's two's complement undone so that a word that
// wrapped is told apart from one that fits.
double wordOf(Context& ctx, const std::string& answer, double value, float channel,
              bool signedWords) {
    // The lenient reader reads a plain decimal text exactly as the strict one does.
    const float stored = ParseChannelValue(ctx, answer, channel, false);
    if (!signedWords || stored == 0) return stored;
    // A negative value's word had 65536 added once: below the range it lands beside the top
    // (-327.70 C as 327.66 C) or stays below 0, so the sign of what was typed decides.
    const bool negative = GetUnitText(ctx, channel) == "F" ? value < 32 : value < 0;
    return negative ? stored - (kWordTop + 1) : stored;
}

double shown(Context& ctx, double word, float channel, bool signedWords) {
    const float stored = static_cast<float>(signedWords && word < 0 ? word + kWordTop + 1 : word);
    return ParseNumber(FormatChannelValue(ctx, stored, channel, false, true));
}

// One in the last digit the text of a value shows: 0.1 for "605.4", 1 for "60535".
double lastDigit(double value) {
    const std::string text = NumberText(value);
    const auto point = text.find('.');
    return point == std::string::npos
               ? 1
               : std::pow(10.0, -static_cast<double>(text.size() - point - 1));
}

}  // namespace

std::string NotANumberMessage(const std::string& answer) {
    return "\"" + answer + "\" is not a number. Nothing was sent to the sensor.";
}

std::optional<double> ReferenceNumber(Context& ctx, const std::string& answer) {
    const auto number = StrictNumber(answer);
    if (!number) failWith(ctx, NotANumberMessage(answer));
    return number;
}

std::optional<double> CheckedReference(Context& ctx, ReferenceQuantity quantity,
                                       const std::string& answer) {
    const auto number = ReferenceNumber(ctx, answer);
    if (!number) return std::nullopt;
    const float channel = channelOf(ctx, quantity);
    const bool signedWords = GetPlatform(ctx) == kPlatform7;
    const double bottom = signedWords ? kSignedBottom : 0;
    const double top = signedWords ? kSignedTop : kWordTop;
    const double word = wordOf(ctx, answer, *number, channel, signedWords);
    std::string unit = GetUnitText(ctx, channel);
    if (unit == "C" || unit == "F") unit = "\xC2\xB0" + unit;
    if (!ctx.ErrorText.empty()) return std::nullopt;
    const bool concentration = quantity != ReferenceQuantity::Temperature;
    const bool fits = word >= bottom && word <= top && !(concentration && *number < 0);
    if (fits) return number;
    double low = shown(ctx, bottom, channel, signedWords);
    double high = shown(ctx, top, channel, signedWords);
    if (low > high) std::swap(low, high);
    // Shown to the channel's digits an end can round past the word (platform 5 shows its
    // top temperature word as 605.4 C, which is word 65540): name the last shown value in.
    const auto inside = [&](double v) {
        const double w = wordOf(ctx, NumberText(v), v, channel, signedWords);
        return w >= bottom && w <= top;
    };
    for (int i = 0; i < 3 && !inside(high); ++i)
        high = ParseNumber(NumberText(high - lastDigit(high)));
    for (int i = 0; i < 3 && !inside(low); ++i) low = ParseNumber(NumberText(low + lastDigit(low)));
    if (concentration) low = std::max(low, 0.0);
    failWith(ctx, "\"" + answer + "\" is out of range: the sensor takes " + NumberText(low) +
                      " to " + NumberText(high) + (unit.empty() ? "" : " " + unit) +
                      ". Nothing was sent to the sensor.");
    return std::nullopt;
}

}  // namespace kelvo
