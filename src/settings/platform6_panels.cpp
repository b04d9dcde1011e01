#include "settings/platform6_panels.h"

#include <algorithm>
#include <cmath>

#include "common/context.h"
#include "common/values.h"
#include "model/channels.h"
#include "model/identification.h"
#include "settings/platform6_codecs.h"

namespace kelvo::p6 {

namespace {
constexpr int kFunctionRecords = 106;  // + 5i: channel, A word, B word
constexpr int kRelayOffset = 136;
constexpr int kOut4BaseLine = 148;
constexpr int kFunction3B = 124;
constexpr int kFunction4BHigh = 129;
constexpr int kVersionByte = 173;
constexpr int kSetPointCO2 = 18;
constexpr int kChannelTemp1 = 2;
constexpr int kChannelTemp2 = 3;
constexpr int kChannelCO2 = 11;
constexpr int kBias = 5000;
constexpr uint8_t kFlagBit = 128;
constexpr uint8_t kSevenBits = 127;

int byteAt(const Context& ctx, int address) {
    const float v = ctx.EeImage[address];
    return v > 0 ? std::min(static_cast<int>(v), 255) : 0;
}
int wordAt(const Context& ctx, int address) {
    return byteAt(ctx, address) * 256 + byteAt(ctx, address + 1);
}
void setByte(Context& ctx, int address, int value) {
    ctx.EeImage[address] = static_cast<float>(value & 255);
}
// A word as the sensor keeps it: a whole number held to 0..65535, high byte first.
void setWord(Context& ctx, int address, double value) {
    const long long w = std::clamp<long long>(ToInteger(value), 0, 65535);
    setByte(ctx, address, int(w >> 8));
    setByte(ctx, address + 1, int(w & 255));
}
// A 15-bit parameter beside the flag bit the high byte keeps; negative numbers in 15-bit
// two's complement.
void setParameter(Context& ctx, int address, double value) {
    const long long raw = ToInteger(value) & 0x7FFF;
    setByte(ctx, address, (byteAt(ctx, address) & kFlagBit) | int(raw >> 8));
    setByte(ctx, address + 1, int(raw & 255));
}
int parameterAt(const Context& ctx, int address) {
    return wordAt(ctx, address) & 0x7FFF;
}

double number(const std::string& text) {
    return ParseNumber(text);
}
std::string setPointText(Context& ctx, int address, int channel) {
    return FormatChannelValue(ctx, float(wordAt(ctx, address) - kBias), float(channel), true,
                              false);
}
void storeSetPoint(Context& ctx, int address, const std::string& text, int channel) {
    setWord(ctx, address, ParseChannelValue(ctx, text, float(channel), true) + kBias);
}
double formattedNumber(Context& ctx, int raw, int channel) {
    return number(FormatChannelValue(ctx, float(raw), float(channel), false, false));
}

// What a VAV sensor of each product code holds beside the panel's own values.
struct VavDefaults {
    std::array<uint8_t, 32> regulators;  // EEPROM 0..31
    std::array<uint8_t, 44> records;     // EEPROM 106..149
};
constexpr std::array<uint8_t, 6> kRegulator5000{19, 136, 127, 255, 0, 6};
constexpr std::array<uint8_t, 6> kRegulator7200Out1{28, 32, 127, 255, 0, 0};
constexpr std::array<uint8_t, 6> kRegulator7200Out2{28, 32, 127, 255, 0, 1};
constexpr std::array<uint8_t, 6> kRegulator5800{22, 168, 127, 255, 0, 9};

VavDefaults vavDefaults(uint8_t product) {
    const bool out1 = product == kProductVavOut1;
    VavDefaults d{};
    const auto put = [&](int record, const std::array<uint8_t, 6>& bytes) {
        std::copy(bytes.begin(), bytes.end(), d.regulators.begin() + 6 * record);
    };
    put(0, out1 ? kRegulator5000 : kRegulator7200Out2);
    put(1, out1 ? kRegulator7200Out1 : kRegulator5000);
    put(2, kRegulator5000);
    put(3, kRegulator5800);
    // One record to a line, as the sensor lays them out.
    // clang-format off
    d.records = {
        8, 60,  125, 191, 172,                // function 0: channel 10, A 15485, B 16300 rising
        0, 19,  136, 147, 136,                // function 1: channel 2, 5000..5000
        0, 19,  136, 147, 136,                // function 2
        9, 19,  136, 148, 80,                 // function 3: CO2, 5000..5200
        uint8_t(out1 ? 0 : 1), 19, 136, 147, 236,  // function 4: temperature, B 5100
        8, 0,   0,   191, 172,                // function 5
        0, 0,                                 // trigger level and time
        uint8_t(out1 ? 0 : 16), 128, uint8_t(out1 ? 128 : 0),  // Out 1
        uint8_t(out1 ? 16 : 0), 128, uint8_t(out1 ? 0 : 128),  // Out 2
        65, 192, 0,                           // Out 3
        8,  128, 0};                          // Out 4
    // clang-format on
    return d;
}

bool vavOnOut2(Context& ctx) {
    return GetIdByte(ctx) == kProductVavOut2;
}
int vavIntTimeAddress(bool out2) {
    return out2 ? 143 : 140;
}
}  // namespace

VavRange limitVavRange(double max, double min) {
    VavRange r{std::clamp(std::isfinite(max) ? max : 100, 0.0, 100.0),
               std::clamp(std::isfinite(min) ? min : 0, 0.0, 100.0)};
    if (r.max - r.min < kVavSmallestGap) {
        r.min = r.max - kVavSmallestGap;
        if (r.min < 0) {
            r.min = 0;
            r.max = kVavSmallestGap;
        }
    }
    return r;
}

uint16_t vavGainWord(const VavRange& range) {
    const double g = 200 / ((range.max - range.min) / 100) + kBias;
    return static_cast<uint16_t>(std::clamp<long long>(ToInteger(g), 0, 0x7FFF));
}

int vavBaseLineAddress(uint8_t product) {
    return product == kProductVavOut2 ? 142 : 139;
}

double vavStep(double value, bool up) {
    const auto shown = [](double v) { return baseLinePercent(baseLineByte(v)); };
    double next = shown(value + (up ? 1 : -1));
    // A step down can round back up to where it started: go on until it shows a change.
    for (int tries = 0; !up && next == value && tries < 8; ++tries) next = shown(next - 2);
    return std::clamp(next, 0.0, 100.0);
}

void GetInitSetVAV(Context& ctx) {
    const uint8_t product = GetIdByte(ctx);
    if (product != kProductVavOut1 && product != kProductVavOut2) return;
    const VavDefaults d = vavDefaults(product);
    for (size_t a = 0; a < d.regulators.size(); ++a) setByte(ctx, int(a), d.regulators[a]);
    for (size_t k = 0; k < d.records.size(); ++k)
        setByte(ctx, kFunctionRecords + int(k), d.records[k]);
}

VavTexts showVav(Context& ctx) {
    const bool out2 = vavOnOut2(ctx);
    const double b1 = baseLinePercent(uint8_t(byteAt(ctx, out2 ? 142 : 139)));
    const double b4 = baseLinePercent(uint8_t(byteAt(ctx, kOut4BaseLine)));
    VavTexts t;
    t[kUseMax] = NumberText(b1 + 100);
    t[kUseMin] = NumberText(b4 - std::abs(b1));
    t[kSetPTemp] = out2 ? setPointText(ctx, 0, kChannelTemp2) : setPointText(ctx, 6, kChannelTemp1);
    t[kSetPCO2] = setPointText(ctx, kSetPointCO2, kChannelCO2);
    t[kIntTimeVav] = intTimeText(uint8_t(byteAt(ctx, vavIntTimeAddress(out2))));
    t[kIntTimeOther] = intTimeText(uint8_t(byteAt(ctx, vavIntTimeAddress(!out2))));
    t[kSlopePositive] = std::string(1, (byteAt(ctx, kFunction4BHigh) & kFlagBit) ? '1' : '0');
    return t;
}

void storeVav(Context& ctx, const VavTexts& t) {
    const uint8_t product = GetIdByte(ctx);
    GetInitSetVAV(ctx);
    setByte(ctx, kVersionByte, 1);
    const VavRange r = limitVavRange(number(t[kUseMax]), number(t[kUseMin]));
    setByte(ctx, kOut4BaseLine, baseLineByte(100 - r.max + r.min));
    const uint16_t g = vavGainWord(r);
    setByte(ctx, kFunction3B, (g >> 8) + kFlagBit);
    setByte(ctx, kFunction3B + 1, g & 255);
    if (product == kProductVavOut1 || product == kProductVavOut2) {
        const bool out2 = product == kProductVavOut2;
        setByte(ctx, vavBaseLineAddress(product), baseLineByte(r.max - 100));
        if (out2) {
            storeSetPoint(ctx, 0, t[kSetPTemp], kChannelTemp2);
        } else {
            storeSetPoint(ctx, 6, t[kSetPTemp], kChannelTemp1);
        }
        setByte(ctx, vavIntTimeAddress(out2), kFlagBit + intTimeCode(number(t[kIntTimeVav])));
        // The temperature output's time too: its field is there to be edited.
        const int other = vavIntTimeAddress(!out2);
        setByte(ctx, other, (byteAt(ctx, other) & ~7) | intTimeCode(number(t[kIntTimeOther])));
    }
    const int slope = byteAt(ctx, kFunction4BHigh);
    setByte(ctx, kFunction4BHigh,
            t[kSlopePositive] == "1" ? (slope | kFlagBit) : (slope & kSevenBits));
    storeSetPoint(ctx, kSetPointCO2, t[kSetPCO2], kChannelCO2);
}

SequentialTexts showSequential(Context& ctx) {
    SequentialTexts t;
    t[kSeqSetPTemp] = setPointText(ctx, 0, kChannelTemp2);
    t[kSeqSetPCO2] = setPointText(ctx, kSetPointCO2, kChannelCO2);
    t[kSeqRangeVentTemp] = NumberText(formattedNumber(ctx, parameterAt(ctx, 124), kChannelTemp2) -
                                      formattedNumber(ctx, parameterAt(ctx, 122), kChannelTemp2));
    t[kSeqRangeCoolTemp] =
        FormatChannelValue(ctx, float(parameterAt(ctx, 114)), kChannelTemp2, false, false);
    t[kSeqRangeVentCO2] =
        FormatChannelValue(ctx, float(parameterAt(ctx, 119)), kChannelCO2, false, false);
    t[kSeqMinVent] = baseLineText(uint8_t(byteAt(ctx, 142)));
    return t;
}

void storeSequential(Context& ctx, const SequentialTexts& t) {
    storeSetPoint(ctx, 0, t[kSeqSetPTemp], kChannelTemp2);
    storeSetPoint(ctx, kSetPointCO2, t[kSeqSetPCO2], kChannelCO2);
    // The vent range ends at function 3's B; its A lies the range below it.
    const double high = formattedNumber(ctx, parameterAt(ctx, 124), kChannelTemp2);
    const double a = ParseChannelValue(ctx, NumberText(high - number(t[kSeqRangeVentTemp])),
                                       kChannelTemp2, false);
    setParameter(ctx, 122, a);
    const double cool = ParseChannelValue(ctx, t[kSeqRangeCoolTemp], kChannelTemp2, false);
    setParameter(ctx, 112, -cool);
    setParameter(ctx, 114, cool);
    const double vent = ParseChannelValue(ctx, t[kSeqRangeVentCO2], kChannelCO2, false);
    setParameter(ctx, 117, 10000 - vent);
    setParameter(ctx, 119, vent);
    setByte(ctx, 142, baseLineByte(number(t[kSeqMinVent])));
}

FunctionLimits loadFunctionLimits(Context& ctx) {
    FunctionLimits f;
    for (int i = 0; i < 6; ++i) {
        const int record = kFunctionRecords + 5 * i;
        const float channel = float(byteAt(ctx, record) + 2);
        const auto limit = [&](int address) {
            return number(
                FormatChannelValue(ctx, float(parameterAt(ctx, address)), channel, false, true));
        };
        f.FLow[i + 1] = limit(record + 1);
        f.FHigh[i + 1] = limit(record + 3);
    }
    f.offset6v3 = RoundHalfEven((byteAt(ctx, kRelayOffset) & kSevenBits) / 127.0 * 100);
    return f;
}

void storeFunctionLimits(Context& ctx, const FunctionLimits& f) {
    for (int i = 0; i < 6; ++i) {
        const int record = kFunctionRecords + 5 * i;
        const float channel = float(byteAt(ctx, record) + 2);
        setParameter(ctx, record + 1,
                     ParseChannelValue(ctx, NumberText(f.FLow[i + 1]), channel, false));
        setParameter(ctx, record + 3,
                     ParseChannelValue(ctx, NumberText(f.FHigh[i + 1]), channel, false));
    }
    // The offset replaces the level bits and keeps the sign bit: adding it to the old level
    // would grow with every store.
    const double steps = RoundHalfEven(std::min(std::abs(f.offset6v3), 100.0) / 100 * 127);
    setByte(ctx, kRelayOffset, (byteAt(ctx, kRelayOffset) & kFlagBit) | int(steps));
}

namespace {
// The functions the settings stand for, stored into the image and read back as a read of
// the sensor will find them, and the settings those give.
std::optional<std::pair<FunctionLimits, SixV3Values>> keptAs(Context& ctx,
                                                             const SixV3Values& values) {
    const std::optional<FunctionLimits> limits = limitsOf6v3(values);
    if (!limits) return std::nullopt;
    storeFunctionLimits(ctx, *limits);
    const FunctionLimits kept = loadFunctionLimits(ctx);
    return std::pair{kept, sixV3ValuesOf(kept)};
}
}  // namespace

std::optional<FunctionLimits> storeSixV3(Context& ctx, const SixV3Values& values,
                                         const SixV3Values& shown, std::string& why) {
    static constexpr const char* kNames[kSixV3Settings] = {"A1", "B",  "C", "D1", "E",
                                                           "F",  "G1", "I", "K"};
    const auto image = ctx.EeImage;
    // Settings the functions could not hold even before this edit (a sensor set up by
    // other means) are no promise the edit can break; every other one must come back.
    const auto before = keptAs(ctx, shown);
    ctx.EeImage = image;
    const auto after = keptAs(ctx, values);
    if (!after) {
        ctx.EeImage = image;
        why = "C cannot be 0";
        return std::nullopt;
    }
    std::string refused;
    std::string moved;
    for (size_t k = 0; k < kSixV3Settings; ++k) {
        const double back = after->second[k];
        if (back == values[k]) continue;
        const bool held = values[k] != shown[k] || !before || before->second[k] == shown[k];
        std::string& list = held ? refused : moved;
        list += std::string(list.empty() ? "" : ", ") + kNames[k] + " " + NumberText(values[k]) +
                " would read back as " + NumberText(back);
    }
    why = refused.empty() ? moved : refused;
    if (refused.empty()) return after->first;
    ctx.EeImage = image;
    return std::nullopt;
}

}  // namespace kelvo::p6
