#include "model/channels.h"

#include <array>
#include <cmath>

#include "common/context.h"
#include "common/values.h"
#include "model/definition_access.h"
#include "model/identification.h"
#include "model/image_access.h"

namespace kelvo {
namespace {

constexpr bool kEeprom = true;
constexpr bool kRam = false;
constexpr float kBias = 5000;

const std::array<const char*, 8> kUnitTexts = {"", "C", "F", "V", "ppm", "%", "g/kg", "tool"};

std::string numberedName(int channel) {
    return "Ch " + std::to_string(channel);
}

// The descriptor byte of a channel, or -1 when the platform has none for it or the read
// fails. The whole descriptor block is fetched at once: the windows ask for all of them.
int descriptor(Context& ctx, int channel) {
    int first = 0;
    int count = 0;
    switch (GetPlatform(ctx)) {
        case kPlatform6:
        case kPlatform61:
            first = 218;
            count = 13;
            break;
        case kPlatform7:
            first = 792;
            count = 16;
            break;
        default:
            return -1;
    }
    if (channel < 0 || channel >= count) return -1;
    if (!ctx.EeRead[first + channel] && !image::fresh(ctx, kEeprom, first, count)) return -1;
    return image::bitsAt(ctx, kEeprom, first + channel);
}

// The platform-5 unit code of channels 0..3: the definition's default, replaced by the
// sensor's own unit bytes when one of them names the channel. -1 without a definition.
int platform5UnitCode(Context& ctx, int channel) {
    if (channel < 0 || channel > 3 || !EnsureDefinition(ctx)) return -1;
    int code = ctx.Definition.unitCode[channel];
    if (!image::ensure(ctx, kRam, 205, 2)) return code;
    for (int address : {205, 206}) {
        const int bits = image::bitsAt(ctx, kRam, address);
        if ((bits & 0x0F) == channel) code = bits >> 4;
    }
    return code;
}

std::string platform5UnitText(int code) {
    switch (code) {
        case 0:
        case 1:
            return "C";
        case 2:
        case 3:
            return "F";
        case 4:
            return "ppm";
        case 5:
        case 6:
        case 7:
        case 15:
            return "%";
        case 8:
        case 9:
            return "g/kg";
        default:
            return "";
    }
}

bool definedChannel5(Context& ctx, int channel) {
    return channel >= 0 && channel <= 3 && ctx.Definition.channelEnable[channel] > 0;
}

std::string platform6Name(Context& ctx, int channel, bool relays) {
    const auto present = [&](int other) { return ChannelPresent(ctx, other, false, false); };
    const auto pair = [&](int other, const char* base, const char* suffix) {
        return std::string(base) + (present(other) ? suffix : "");
    };
    switch (channel) {
        case 0:
            return GetIdByte(ctx) == 223 ? "Out 2" : "Out 1";
        case 1:
            return GetIdByte(ctx) == 223 ? "Out 1" : "Out 2";
        case 2:
            return pair(3, "Temp", " 1");
        case 3:
            return pair(2, "Temp", " 2");
        case 4:
            return pair(5, "AH", " 1");
        case 5:
            return pair(4, "AH", " 2");
        case 6:
            return pair(7, "RH", " 1");
        case 7:
            return pair(6, "RH", " 2");
        case 8:
            return "Dtemp";
        case 9:
            return relays ? "Relay 1" : "Out 3";
        case 10:
            if (!image::ensure(ctx, kEeprom, 90, 2)) return "";
            if (image::bitsAt(ctx, kEeprom, 90) & 1) return "CO";
            return relays ? "Relay 2" : "Out 4";
        case 11:
            return "CO2";
        case 12:
            return "CO";
        case 13:
            return "Error";
        default:
            return numberedName(channel);
    }
}

// Platforms 61 and 7 name the same measurements alike; each has a few names of its own.
std::string platform61Or7Name(int platform, int channel) {
    switch (channel) {
        case 4:
            return "Temp";
        case 5:
            return "CO2";
        case 6:
            if (platform == kPlatform7) return "O2";
            break;
        case 14:
            if (platform == kPlatform61) return "Old 0";
            break;
        case 15:
            if (platform == kPlatform61) return "Dtemp";
            break;
    }
    return numberedName(channel);
}

bool present6(Context& ctx, int channel, bool noDtemp, bool measOnly) {
    bool base = false;
    if (channel >= 2 && channel <= 8) {
        if (!image::ensure(ctx, kEeprom, 98, 2)) return false;
        base = (image::bitsAt(ctx, kEeprom, 98) >> (channel - 2)) & 1;
    } else if (channel == 11 || channel == 12) {
        if (!image::ensure(ctx, kEeprom, 158, 2)) return false;
        const int bits = image::bitsAt(ctx, kEeprom, 158);
        // Version 2 has no channel 12 whatever the bit says; it is taken away below.
        base = (bits & (channel == 11 ? 2 : 4)) == 0;
    } else if (channel == 13) {
        base = true;
    }
    if (noDtemp && channel == 8) base = false;
    bool result = base;
    if (channel == 0 || channel == 1 || channel == 9 || channel == 10) result = !measOnly;
    const float version = GetVersion(ctx);
    if (version == 1 && (channel == 9 || channel == 10)) result = false;
    if (version != 2) return result;
    if (channel == 12) result = false;
    if (measOnly && channel == 10) result = true;
    if (channel == 2) result = false;
    return result;
}

void notSupported(Context& ctx) {
    failWith(ctx, "Ej klart");
}

// A typed value times a power of ten lands a hair below the whole number it means
// (22.53 * 100 = 2252.9999...); take the whole number before truncating.
double truncateTyped(double value) {
    const double nearest = RoundHalfEven(value);
    if (std::abs(value - nearest) < 1e-12 * std::max(1.0, std::abs(value))) return nearest;
    return Fix(value);
}

std::string format5(Context& ctx, double v, int channel, bool noBias) {
    if (channel > 3) return NumberText(static_cast<float>(v));
    if (!noBias) v -= kBias;
    switch (platform5UnitCode(ctx, channel)) {
        case 0:
            v = RoundHalfEven(v / 10) / 10;
            break;
        case 1:
            v = RoundHalfEven(v / 100);
            break;
        case 2:
        case 3:
            v = RoundHalfEven(v / 100 * 1.8 + 32);
            break;
        case 4:
            break;
        case kPlatform5:
            v = RoundHalfEven(v / 10) / 100;
            break;
        case kPlatform6:
        case 8:
            v = v / 10;
            break;
        case kPlatform7:
        case 9:
            v = v / 100;
            break;
        case 15:
            v = v / 1000;
            break;
        default:
            return "";
    }
    return NumberText(static_cast<float>(v));
}

float parse5(Context& ctx, double x, int channel, bool noBias) {
    if (channel > 3) return static_cast<float>(x);
    switch (platform5UnitCode(ctx, channel)) {
        case 0:
        case 1:
        case kPlatform7:
        case 9:
            x *= 100;
            break;
        case 2:
        case 3:
            x = (x - 32) / 1.8 * 100;
            break;
        case 4:
            break;
        case kPlatform5:
        case 15:
            x *= 1000;
            break;
        case kPlatform6:
        case 8:
            x *= 10;
            break;
        default:
            x = 0;
            break;
    }
    if (!noBias) x += kBias;
    return static_cast<float>(x);
}

}  // namespace

std::string ChannelName(Context& ctx, float Channel, bool Relays) {
    const int channel = image::channelIndex(Channel);
    const uint8_t platform = GetPlatform(ctx);
    if (platform == kPlatform5) {
        if (!EnsureDefinition(ctx)) return "";
        return definedChannel5(ctx, channel) ? ctx.Definition.channelName[channel] : "OFF";
    }
    if (channel < 0) return platform == 0 ? "" : "Ch " + NumberText(Channel);
    switch (platform) {
        case kPlatform6:
            return platform6Name(ctx, channel, Relays);
        case kPlatform61:
        case kPlatform7:
            return platform61Or7Name(platform, channel);
        default:
            return "";
    }
}

bool ChannelPresent(Context& ctx, float Channel, bool NoDtemp, bool MeasOnly) {
    const int channel = image::channelIndex(Channel);
    switch (GetPlatform(ctx)) {
        case kPlatform5:
            return EnsureDefinition(ctx) && definedChannel5(ctx, channel);
        case kPlatform6:
            return present6(ctx, channel, NoDtemp, MeasOnly);
        case kPlatform61:
            notSupported(ctx);
            return false;
        default:
            return false;
    }
}

float GetDecimals(Context& ctx, float Channel) {
    static constexpr std::array<float, 4> kDecimals = {1, 1000, 100, 10};
    const int channel = image::channelIndex(Channel);
    switch (GetPlatform(ctx)) {
        case kPlatform6:
        case kPlatform61:
            if (channel > 12) return 1;
            [[fallthrough]];
        case kPlatform7: {
            const int d = descriptor(ctx, channel);
            return d < 0 ? 0 : kDecimals[d & 3];
        }
        case kPlatform5:
            notSupported(ctx);
            return 0;
        default:
            return 0;
    }
}

uint8_t GetScale(Context& ctx, float Channel) {
    const int channel = image::channelIndex(Channel);
    const uint8_t platform = GetPlatform(ctx);
    switch (platform) {
        case kPlatform6:
        case kPlatform61:
            if (channel > 12) return 1;
            [[fallthrough]];
        case kPlatform7: {
            const int d = descriptor(ctx, channel);
            if (d < 0) return 0;
            static constexpr std::array<uint8_t, 4> kScale = {1, 10, 100, 163};
            const int code = (d >> 5) & 3;
            // Platform 7 keeps its third scale a power of two.
            if (platform == kPlatform7 && code == 2) return 16;
            return kScale[code];
        }
        case kPlatform5:
            notSupported(ctx);
            return 0;
        default:
            return 0;
    }
}

uint8_t GetOffsetFlag(Context& ctx, float Channel) {
    const int channel = image::channelIndex(Channel);
    switch (GetPlatform(ctx)) {
        case kPlatform5:
            return 1;
        case kPlatform6:
        case kPlatform61: {
            if (channel < 0 || channel > 12) return 0;
            const int d = descriptor(ctx, channel);
            return d < 0 ? 0 : static_cast<uint8_t>((d >> 7) & 1);
        }
        default:
            return 0;
    }
}

std::string GetUnitText(Context& ctx, float Channel) {
    const int channel = image::channelIndex(Channel);
    switch (GetPlatform(ctx)) {
        case kPlatform5:
            return channel > 3 ? "" : platform5UnitText(platform5UnitCode(ctx, channel));
        case kPlatform6:
        case kPlatform61:
            if (channel == 13) return "";
            [[fallthrough]];
        case kPlatform7: {
            const int d = descriptor(ctx, channel);
            return d < 0 ? "" : kUnitTexts[(d >> 2) & 7];
        }
        default:
            return "";
    }
}

std::string FormatChannelValue(Context& ctx, float Value, float Channel, bool NoBias,
                               bool KeepFraction) {
    const uint8_t platform = GetPlatform(ctx);
    double v = Value;
    if (platform == kPlatform5) return format5(ctx, v, image::channelIndex(Channel), NoBias);
    if (platform != kPlatform6 && platform != kPlatform61 && platform != kPlatform7) return "";
    if (platform == kPlatform7) {
        v = SignedWord(Value);
    } else if (!NoBias) {
        v -= kBias * GetOffsetFlag(ctx, Channel);
    }
    const double scale = GetScale(ctx, Channel);
    const double decimals = GetDecimals(ctx, Channel);
    // An unreadable descriptor leaves nothing to scale by: show no number rather than
    // a division by zero.
    if (scale == 0 || decimals == 0) return "";
    v /= scale;
    if (!KeepFraction) v = Fix(v);
    v /= decimals;
    if (GetUnitText(ctx, Channel) == "F") {
        v = v * 1.8 + 32;
        v = RoundHalfEven(v * decimals) / decimals;
    }
    return NumberText(static_cast<float>(v));
}

float ParseChannelValue(Context& ctx, const std::string& Text, float Channel, bool NoBias) {
    double x = ParseNumber(Text);
    const uint8_t platform = GetPlatform(ctx);
    const int channel = image::channelIndex(Channel);
    if (platform == kPlatform5) return parse5(ctx, x, channel, NoBias);
    if (platform != kPlatform6 && platform != kPlatform61 && platform != kPlatform7) return 0;
    if (platform != kPlatform7 && channel == 13) {
        float whole = static_cast<float>(x);
        return LowByte(whole);
    }
    if (GetUnitText(ctx, Channel) == "F") x = (x - 32) / 1.8;
    x *= GetDecimals(ctx, Channel);
    x = truncateTyped(x * GetScale(ctx, Channel));
    if (platform == kPlatform7) return static_cast<float>(UnsignedWord(static_cast<float>(x)));
    if (!NoBias) x += kBias * GetOffsetFlag(ctx, Channel);
    return static_cast<float>(x);
}

std::string SensorStatusText(uint8_t status) {
    static constexpr std::array<std::pair<int, const char*>, 7> kBits = {{
        {0, "FatalError "},
        {2, "Algorithm error "},
        {3, "Output error "},
        {4, "Selfdiagnostic error "},
        {5, "Out of range "},
        {6, "Memory error "},
        {7, "Warming up "},
    }};
    std::string text;
    for (const auto& [bit, name] : kBits)
        if ((status >> bit) & 1) text += name;
    return text;
}

}  // namespace kelvo
