// Single-point CO2, temperature and O2 calibrations.
#include "calibration/calibration.h"

#include <array>
#include <cmath>
#include <optional>

#include "calibration/calibration_check.h"
#include "calibration/calibration_math.h"
#include "calibration/calibration_support.h"
#include "common/context.h"
#include "common/values.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"
#include "model/channels.h"
#include "model/identification.h"
#include "model/tables.h"

namespace kelvo {

namespace calibration {

void storeEeWord(Context& ctx, int at, double value) {
    float word = static_cast<float>(value);
    ctx.EeImage[at] = HighByte(word);
    ctx.EeImage[at + 1] = LowByte(word);
}

double expectedRatio(Context& ctx, int table, double x) {
    return TableToLinear(ctx, table, x);
}

uint8_t CO2ChannelOf(Context& ctx, float selector, uint8_t platform) {
    (void)ctx;
    if (selector != kPlatformChannel) return static_cast<uint8_t>(selector);
    switch (platform) {
        case kPlatform5:
            return 1;
        case kPlatform6:
            return 11;
        case kPlatform61:
        case kPlatform7:
            return 5;
        default:
            return 0;
    }
}

uint8_t TempChannelOf(Context& ctx, float selector, uint8_t platform) {
    if (selector != kPlatformChannel) return 0;
    switch (platform) {
        case kPlatform5:
            return 0;
        case kPlatform6:
            return GetIdByte(ctx) == 223 ? 3 : 2;
        case kPlatform61:
        case kPlatform7:
            return 4;
        default:
            return 0;
    }
}

}  // namespace calibration

using namespace calibration;

float PlatformCO2Channel(Context& ctx) {
    return CO2ChannelOf(ctx, kPlatformChannel, GetPlatform(ctx));
}

float PlatformTempChannel(Context& ctx) {
    return TempChannelOf(ctx, kPlatformChannel, GetPlatform(ctx));
}

namespace {

constexpr float kPlatform7CO2Channel = 5;
constexpr float kO2Channel = 6;
constexpr int kEeO2Zero = 760;
constexpr int kEeO2Span = 0;
constexpr int kRamO2Reading = 38;
constexpr int kO2Table = 4;
constexpr int64_t kO2SettleMs = 3000;
constexpr int64_t kO2SampleGapMs = 2000;
constexpr int kO2Samples = 5;

// Platform 7 keeps its zero word in EEPROM and has no channel routines for it.
bool zeroPlatform7(Context& ctx, std::optional<CalibrationAim>& aim) {
    aim = CalibrationAim{CalQuantity::CO2, kPlatform7CO2Channel,
                         ParseChannelValue(ctx, "0", kPlatform7CO2Channel, false)};
    if (!SensorMemRead(ctx, 0, kRamPlatform7Ratio, 2, false, true)) return false;
    const double r = ramWord(ctx, kRamPlatform7Ratio);
    if (r <= 0) return failWith(ctx, kNoCalibration);
    const double Z = Fix(kFullScale / r * kUnity);
    if (const std::string why = ImpossibleWord("zero word", Z, true); !why.empty())
        return failWith(ctx, why);
    if (!ReadUnknownBytes(ctx, {eepromRange(kEePlatform7Zero, 2)})) return false;
    storeEeWord(ctx, kEePlatform7Zero, Z);
    // The sensor powers up with its EEPROM locked and refuses a write that does not unlock
    // it first; the lock at the end closes it again.
    return SensorMemWrite(ctx, calibrationWrite(eepromRange(kEePlatform7Zero, 2)));
}

// The word is read before it is changed, so that a failed calibration can put it back.
bool writeO2Word(Context& ctx, int at, double value) {
    if (!ReadUnknownBytes(ctx, {eepromRange(at, 2)})) return false;
    storeEeWord(ctx, at, value);
    return SensorMemWrite(ctx, calibrationWrite(eepromRange(at, 2)));
}

bool readO2Word(Context& ctx, double& word) {
    bool reportError = true;
    if (!SensorMemRead(ctx, 0, kRamO2Reading, 2, false, false, 100, reportError)) return false;
    word = ramWord(ctx, kRamO2Reading);
    return true;
}

}  // namespace

namespace {

bool co2SinglePoint(Context& ctx, uint8_t platform, float Channel, bool keepOpen, int CalType,
                    const std::string& Concentration, std::optional<CalibrationAim>& aim) {
    if (platform == kPlatform7) return zeroPlatform7(ctx, aim);
    if (platform != kPlatform5 && platform != kPlatform6 && platform != kPlatform61) return false;
    const uint8_t c = CO2ChannelOf(ctx, Channel, platform);

    const double R = GetRawReading(ctx, c);
    if (!ctx.ErrorText.empty()) return false;
    if (!(R > 0)) return failWith(ctx, kNoCalibration);
    double Z;
    if (CalType == kCalZero) {
        aim = CalibrationAim{CalQuantity::CO2, float(c), ParseChannelValue(ctx, "0", c, false)};
        Z = *ZeroGasWord(R);
    } else {
        const double x = CalType == kCalFreshAir ? GetZeroReference(ctx, 0)
                                                 : ParseChannelValue(ctx, Concentration, c, false);
        aim = CalibrationAim{CalQuantity::CO2, float(c), static_cast<float>(x)};
        const double E = expectedRatio(ctx, GetChannelTable(ctx, c), x);
        double V;
        if (platform == kPlatform5) {
            const double S = GetSpanWord(ctx, c);
            if (!(S > 0)) return failWith(ctx, kNoCalibration);
            V = kFullScale - ((kFullScale - E) * kUnity) / S;
        } else {
            const double n = GetCO2Factor(ctx);
            if (!(n > 0)) return failWith(ctx, kNoCalibration);
            V = kFullScale - (kFullScale - E) / n;
        }
        if (!ctx.ErrorText.empty()) return false;
        Z = *SinglePointWord(V, R);
    }
    if (const std::string why = ImpossibleWord("zero word", Z, true); !why.empty())
        return failWith(ctx, why);
    // The write's result is the procedure's: a word that never reached the sensor is no
    // calibration.
    return SetZeroWord(ctx, c, true, keepOpen, static_cast<float>(Z));
}

}  // namespace

bool CalCO2SinglePoint(Context& ctx, float Channel, bool KeepOpen, int CalType,
                       const std::string& Concentration) {
    PortRule portRule(ctx, KeepOpen);
    const uint8_t platform = GetPlatform(ctx);
    return RunCheckedCalibration(ctx, [&](std::optional<CalibrationAim>& aim) {
        return co2SinglePoint(ctx, platform, Channel, KeepOpen, CalType, Concentration, aim);
    });
}

namespace {

bool calTemp(Context& ctx, uint8_t platform, float TrueTemp, float Channel,
             std::optional<CalibrationAim>& aim) {
    if (platform != kPlatform5 && platform != kPlatform6 && platform != kPlatform61 &&
        platform != kPlatform7)
        return false;
    const uint8_t c = TempChannelOf(ctx, Channel, platform);
    const double wanted = ParseChannelValue(ctx, NumberText(TrueTemp), c, false);
    aim = CalibrationAim{CalQuantity::Temperature, float(c), static_cast<float>(wanted)};
    GetChannelValue(ctx, c, false);
    const double measured = GetChannelValue(ctx, c, false);
    if (!ctx.ErrorText.empty()) return false;
    // Platform 7 words are signed: a difference across 0 C is taken between the values.
    const double D = platform == kPlatform7 ? SignedWord(static_cast<float>(wanted)) -
                                                  SignedWord(static_cast<float>(measured))
                                            : wanted - measured;

    // The temperature write ends the exchange whatever the caller asked: the port is
    // closed after it on every platform.
    if (platform == kPlatform5) {
        const double Z = GetZeroWord(ctx, c);
        if (!ctx.ErrorText.empty()) return false;
        if (const std::string why = ImpossibleWord("temperature offset word", Z + D); !why.empty())
            return failWith(ctx, why);
        return SetZeroWord(ctx, c, true, false, static_cast<float>(Z + D));
    }
    const int table = platform == kPlatform7 ? 0 : GetChannelTable(ctx, c);
    std::array<double, kTableEntries> shifted{};
    for (int e = 0; e < kTableEntries; ++e) {
        const double entry = GetTableEntry(ctx, table, e);
        if (!ctx.ErrorText.empty()) return false;
        // Platform 7 keeps signed values in its tables (a point below 0 C is stored with
        // 65536 added): shift the value, not its stored form, or a shift across zero would
        // saturate at 65535. A value past what the word holds would wrap round to the far
        // end of the scale on any platform.
        const bool signedEntries = platform == kPlatform7;
        const double value = signedEntries ? SignedWord(static_cast<float>(entry)) + D : entry + D;
        if (const std::string why = ImpossibleWord("table entry", value, false,
                                                   signedEntries ? kSignedWords : WordRange{});
            !why.empty())
            return failWith(ctx, why);
        shifted[e] = signedEntries ? UnsignedWord(static_cast<float>(value)) : value;
    }
    for (int e = 0; e < kTableEntries; ++e)
        SetTableEntry(ctx, table, e, static_cast<float>(shifted[e]));
    if (platform == kPlatform7)
        return SensorMemWrite(ctx, calibrationWrite(eepromRange(kEePlatform7TempTable, 34)));
    return SensorMemWrite(ctx, calibrationWrite(eepromList(kListFirstTable + table), true));
}

bool o2Zero(Context& ctx, std::optional<CalibrationAim>& aim) {
    // The zero word lies beyond the 512-byte EEPROM of platforms 5, 6 and 61: a write there
    // would reach nothing and the calibration would report a success it never had.
    if (GetPlatform(ctx) != kPlatform7) return failWith(ctx, "This sensor has no O2 zero word.");
    aim =
        CalibrationAim{CalQuantity::O2, kO2Channel, ParseChannelValue(ctx, "0", kO2Channel, false)};
    if (!writeO2Word(ctx, kEeO2Zero, 0)) return false;
    if (!waitYielding(ctx, kO2SettleMs)) return false;
    double sum = 0;
    // The gap runs from one sample's start to the next, so a slow read does not stretch it.
    int64_t sampleStart = 0;
    for (int i = 0; i < kO2Samples; ++i) {
        if (i > 0 && !waitYieldingUntil(ctx, sampleStart + kO2SampleGapMs)) return false;
        sampleStart = ctx.clock.tickMs();
        double word = 0;
        if (!readO2Word(ctx, word)) return false;
        sum += word;
    }
    const auto word = O2ZeroWord(sum / kO2Samples);
    if (!word) return failWith(ctx, "O2 Zero calibration failed");
    return writeO2Word(ctx, kEeO2Zero, *word);
}

bool o2Span(Context& ctx, float O2Reference, std::optional<CalibrationAim>& aim) {
    aim = CalibrationAim{CalQuantity::O2, kO2Channel, O2Reference};
    double r = 0;
    if (!readO2Word(ctx, r)) return false;
    if (!(r > 0)) return failWith(ctx, kNoCalibration);
    const double E = expectedRatio(ctx, kO2Table, O2Reference);
    if (!ctx.ErrorText.empty()) return false;
    const double S = E * kUnity / r;
    if (const std::string why = ImpossibleWord("O2 span word", Fix(S), true); !why.empty())
        return failWith(ctx, why);
    return writeO2Word(ctx, kEeO2Span, S);
}

}  // namespace

bool CalTemp(Context& ctx, float TrueTemp, float Channel, bool KeepOpen) {
    PortRule portRule(ctx, KeepOpen);
    const uint8_t platform = GetPlatform(ctx);
    return RunCheckedCalibration(ctx, [&](std::optional<CalibrationAim>& aim) {
        return calTemp(ctx, platform, TrueTemp, Channel, aim);
    });
}

bool CalO2Zero(Context& ctx) {
    PortRule portRule(ctx, false);
    return RunCheckedCalibration(
        ctx, [&](std::optional<CalibrationAim>& aim) { return o2Zero(ctx, aim); });
}

bool CalO2Span(Context& ctx, float O2Reference) {
    PortRule portRule(ctx, false);
    return RunCheckedCalibration(
        ctx, [&](std::optional<CalibrationAim>& aim) { return o2Span(ctx, O2Reference, aim); });
}

}  // namespace kelvo
