// CO2 span calibrations: the platform-5 span word, the curve fits of platforms 6, 61 and 7.
#include <array>
#include <cmath>
#include <optional>

#include "calibration/calibration.h"
#include "calibration/calibration_check.h"
#include "calibration/calibration_math.h"
#include "calibration/calibration_support.h"
#include "common/context.h"
#include "common/values.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"
#include "model/identification.h"
#include "model/tables.h"

namespace kelvo {

using namespace calibration;

namespace {

// Time the sensor needs to measure with a newly written table before the second pass.
constexpr int64_t kSpanSettleMs = 2500;
constexpr int kFitBias = 5000;  // table entries of platforms 6 and 61 carry this bias
constexpr int kEeDetectorCode = 1003;
constexpr int kEePlatform7CalTemp = 881;
constexpr int kEePlatform7Reference = 976;
constexpr int kRamPlatform7Temp = 42;
constexpr int kEePlatform7Table = 580;
constexpr int kTableBytes = 34;

// P = ln(q) / ln(F(x)): defined only for q > 0 and F(x) > 0, F(x) != 1.
bool exponentFor(double q, double Fx, double& P) {
    if (!(q > 0) || !(Fx > 0) || Fx == 1) return false;
    P = std::log(q) / std::log(Fx);
    return std::isfinite(P);
}

// Refuses an entry the sensor cannot hold or a table that does not fall as the gas rises.
bool refuseImpossibleTable(Context& ctx, const std::array<double, 17>& entries,
                           WordRange held = {}) {
    for (double entry : entries)
        if (const std::string why = ImpossibleWord("table entry", entry, false, held); !why.empty())
            return !failWith(ctx, why);
    if (const std::string why = ImpossibleTable(entries, -1); !why.empty())
        return !failWith(ctx, why);
    return false;
}

bool spanPlatform5(Context& ctx, const std::string& spanGas, std::optional<CalibrationAim>& aim) {
    constexpr int c = 1;
    const double Z = GetZeroWord(ctx, c);
    const float T0 = GetZeroReference(ctx, 0);
    const double R = GetRawReading(ctx, c);
    const double Tc = GetSensorTemp(ctx);
    const double Tk = GetCalTemp(ctx, c) - 127;
    const double G = ParseNumber(spanGas);
    aim = CalibrationAim{CalQuantity::CO2, c, static_cast<float>(G)};
    if (!ctx.ErrorText.empty()) return false;
    const double E = expectedRatio(ctx, c, G);
    const double detector = kFullScale - Z * R / kUnity;
    const double temperature = (Tk * Tc / 32 + kUnity) / kUnity;
    if (detector == 0 || temperature == 0) return failWith(ctx, kNoCalibration);
    const double A = (kFullScale - E) * kUnity / detector;
    if (const std::string why = ImpossibleWord("span word", Fix(A / temperature), true);
        !why.empty())
        return failWith(ctx, why);
    if (!SetSpanWord(ctx, c, true, true, static_cast<float>(A / temperature))) return false;
    // The zero reference is kept in a form that depends on the span word.
    SetZeroReference(ctx, 0, T0);
    return SensorMemWrite(ctx, calibrationWrite(ramRange(0, 2), true));
}

bool fitPass(Context& ctx, uint8_t c, const ResponseModel& F, double n, double Z, double Tc,
             double Tk, double G, bool keepOpen) {
    const double R = GetRawReading(ctx, c);
    if (!ctx.ErrorText.empty()) return false;
    const double Q = kFullScale - (kFullScale - Z * R / kUnity) * (Tk * Tc + kUnity) * n / kUnity;
    const double q = (n - 1 + Q / kFullScale) / n;
    const int table = GetChannelTable(ctx, c);
    // Bring the whole table into the image first: a lazy read triggered half-way through
    // would put the sensor's old entries back over the new ones.
    GetTableEntry(ctx, table, 0);
    if (!ctx.ErrorText.empty()) return false;
    double P = 0;
    // Refused before the table is touched: a changed entry left in the image would go to
    // the sensor with the next "Send to sensor".
    if (!exponentFor(q, F(G - kFitBias), P)) return failWith(ctx, kNoCalibration);
    const auto points = FitCurvePoints(F, P, n, [&] { ctx.events.processEvents(); });
    std::array<double, 17> entries{};
    for (int p = 0; p < 15; ++p) entries[p] = Fix(points[p]) + kFitBias;
    entries[15] = kFitBias;
    entries[16] = 2 * entries[15] - entries[14];
    if (refuseImpossibleTable(ctx, entries)) return false;
    for (int p = 0; p < 17; ++p) SetTableEntry(ctx, table, p, static_cast<float>(entries[p]));
    return SensorMemWrite(ctx,
                          calibrationWrite(eepromList(kListFirstTable + table), true, keepOpen));
}

bool spanCurveFit(Context& ctx, uint8_t c, const std::string& spanGas, bool keepOpen,
                  std::optional<CalibrationAim>& aim) {
    const auto model = ModelForChannelKind(GetChannelKind(ctx, c));
    if (!model) return failWith(ctx, "Sensor = 0, ");
    const double n = GetCO2Factor(ctx);
    const double Z = GetZeroWord(ctx, c);
    const double Tc = GetSensorTemp(ctx);
    const double Tk = GetCalTemp(ctx, c) - 127;
    if (!ctx.ErrorText.empty()) return false;
    if (!(n > 0)) return failWith(ctx, kNoCalibration);
    double G = ParseNumber(spanGas);
    aim = CalibrationAim{CalQuantity::CO2, float(c), static_cast<float>(G)};
    for (int pass = 0; pass < 2; ++pass) {
        if (!fitPass(ctx, c, *model, n, Z, Tc, Tk, G, keepOpen)) return false;
        // Every pass ends with the sensor settling and measuring through its new table; after
        // the second the calibration is done and the reading only shows where it landed.
        const bool settled = waitYielding(ctx, kSpanSettleMs);
        if (pass == 1) break;
        if (!settled) return false;
        const double M = GetChannelValue(ctx, c, false);
        // Without a reading the correction below would double the target.
        if (!ctx.ErrorText.empty()) return false;
        G = G + (G - M);
    }
    if (ctx.ErrorText.empty()) GetChannelValue(ctx, c, false);
    return true;
}

bool spanPlatform7(Context& ctx, float SpanGas, std::optional<CalibrationAim>& aim) {
    constexpr float kCO2Channel = 5;
    aim = CalibrationAim{CalQuantity::CO2, kCO2Channel, SpanGas};
    auto read = [&](int address, int count, bool eeprom) {
        return SensorMemRead(ctx, 0, static_cast<float>(address), static_cast<uint8_t>(count),
                             eeprom, true);
    };
    if (!read(kEeDetectorCode, 1, true)) return false;
    const int code = imageByte(ctx.EeImage[kEeDetectorCode]) >> 4;
    const auto detector = ModelForDetectorCode(code);
    // Codes above 3 name no detector we know; fitting with no model would wreck the table.
    if (!detector) return failWith(ctx, "Unknown CO2 detector type, can't calibrate span.");
    if (!read(kEePlatform7Zero, 2, true) || !read(kEePlatform7CalTemp, 1, true) ||
        !read(kEePlatform7Reference, 2, true) || !read(kRamPlatform7Temp, 2, false) ||
        !read(kRamPlatform7Ratio, 2, false) || !read(kEePlatform7Table, kTableBytes, true)) {
        return false;
    }
    const double Z = eeWord(ctx, kEePlatform7Zero);
    const double Tk = SignedByte(ctx.EeImage[kEePlatform7CalTemp]);
    const double Tc = SignedWord(static_cast<float>(ramWord(ctx, kRamPlatform7Temp)));
    const double R = ramWord(ctx, kRamPlatform7Ratio);
    const double n = detector->factor;

    const double I = R * Z / kUnity;
    const double Q = kFullScale - (Tk * Tc + kUnity) * (kFullScale - I) * n / kUnity;
    const double q = (n - 1 + Q / kFullScale) / n;
    double P = 0;
    if (!exponentFor(q, detector->model(SpanGas), P)) return failWith(ctx, kNoCalibration);
    const auto points = FitCurvePoints(detector->model, P, n, [&] { ctx.events.processEvents(); });

    std::array<double, 17> table{};
    for (int p = 0; p < 15; ++p) table[p] = Fix(points[p]);
    table[15] = 0;
    table[16] = 2 * table[15] - table[14];
    // Entries are signed here.
    if (refuseImpossibleTable(ctx, table, kSignedWords)) return false;
    for (int p = 0; p < 17; ++p) {
        storeEeWord(ctx, kEePlatform7Table + 2 * p, UnsignedWord(static_cast<float>(table[p])));
    }
    return SensorMemWrite(ctx, calibrationWrite(eepromRange(kEePlatform7Table, kTableBytes))) &&
           SensorMemWrite(ctx, calibrationWrite(eepromRange(kEePlatform7Reference, 2)));
}

}  // namespace

bool CalCO2Span(Context& ctx, float Channel, const std::string& SpanGas, bool KeepOpen) {
    PortRule portRule(ctx, KeepOpen);
    const uint8_t platform = GetPlatform(ctx);
    return RunCheckedCalibration(ctx, [&](std::optional<CalibrationAim>& aim) {
        if (platform == kPlatform5) return spanPlatform5(ctx, SpanGas, aim);
        if (platform == kPlatform6 || platform == kPlatform61) {
            return spanCurveFit(ctx, CO2ChannelOf(ctx, Channel, platform), SpanGas, KeepOpen, aim);
        }
        if (platform == kPlatform7)
            return spanPlatform7(ctx, static_cast<float>(ParseNumber(SpanGas)), aim);
        return false;
    });
}

bool CalCO2SpanPlatform7(Context& ctx, float SpanGas) {
    PortRule portRule(ctx, false);
    return RunCheckedCalibration(
        ctx, [&](std::optional<CalibrationAim>& aim) { return spanPlatform7(ctx, SpanGas, aim); });
}

}  // namespace kelvo
