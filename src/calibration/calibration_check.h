#pragma once
// What every calibration passes through around its procedure: words the sensor cannot hold
// are refused before they are sent, the channel is read against the reference once the
// sensor has measured with its new words, and whatever the calibration changed is written
// back when it fails, is cancelled or does not read what it was aimed at.

#include <functional>
#include <optional>
#include <span>
#include <string>

namespace kelvo {

struct Context;

enum class CalQuantity { CO2, Temperature, O2 };

// Time a sensor needs to measure through newly written words before its reading means
// anything: the span procedure's own settling time.
constexpr int64_t kCalibrationSettleMs = 2500;

// The channel a calibration is aimed at and the raw channel value (as the sensor reports
// it) it should read afterwards. A procedure fills it in once it knows the reference.
struct CalibrationAim {
    CalQuantity quantity = CalQuantity::CO2;
    float channel = 0;
    float reference = 0;
};

// The channel a quantity is read on: the platform's CO2 or temperature channel, channel 6
// for O2.
float QuantityChannel(Context& ctx, CalQuantity quantity);
// "CO2", "Temperature", "O2": the quantity's name in records and reports.
std::string QuantityName(CalQuantity quantity);
// The unit the channel shows the quantity in: "ppm" or "%", "C" or "F", "%".
std::string QuantityUnit(Context& ctx, CalQuantity quantity, float channel);
// The number as the technician reads it, with its unit: "471 ppm", "20.9 %", and
// degrees with their sign.
std::string ValueWithUnit(double value, const std::string& unit);
// The channel's present reading in its display unit; ErrorText says why when it could not
// be read.
double PresentReading(Context& ctx, float channel);

// Runs a calibration procedure, then checks it; on any failure the bytes it changed on the
// sensor are written back where the sensor still answers. True only for a calibration
// that reads its reference within the quantity's tolerance. The service record is told the
// quantity, the reference and the reading after (as left).
bool RunCheckedCalibration(Context& ctx,
                           const std::function<bool(std::optional<CalibrationAim>&)>& procedure);

// How far a reading may lie from the reference (both in the channel's display unit: ppm
// or %, degrees C or F, % O2) and still count as calibrated.
double CalibrationTolerance(CalQuantity quantity, double reference, const std::string& unit);
// How far the present reading may lie from a reference before the reference is more likely
// a mistake (a wrong gas, a typo) than the sensor's drift.
double PlausibleDistance(CalQuantity quantity, double reference, const std::string& unit);

// Empty when the reference (a number in the channel's display unit, as typed) is plausible
// against what the sensor reads now; else why not, with both numbers. The caller asks for a
// second confirmation (or --force) before going on. A sensor that cannot be read gives the
// link's message. The reading is told to the service record as the one found before the
// calibration.
std::string PlausibilityProblem(Context& ctx, CalQuantity quantity, double reference);

// What a sensor's word can hold: 0 to 65535, or -32768 to 32767 where it is signed.
struct WordRange {
    double low = 0, high = 65535;
};
inline constexpr WordRange kSignedWords{-32768, 32767};

// Refusals of computed words, with the message to fail with; empty when the word is fine.
// A zero or span word of 0 would leave the sensor reporting one value whatever it sees.
std::string ImpossibleWord(const std::string& what, double word, bool zeroStopsIt = false,
                           WordRange range = {});
// A table whose entries do not run the way the procedure builds them (rising: +1, falling:
// -1) would make the sensor report one value for two gases.
std::string ImpossibleTable(std::span<const double> entries, int direction);

}  // namespace kelvo
