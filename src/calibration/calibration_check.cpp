#include "calibration/calibration_check.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "calibration/calibration.h"
#include "calibration/calibration_support.h"
#include "common/context.h"
#include "common/values.h"
#include "link/sensor_mem_write.h"
#include "model/channels.h"
#include "model/identification.h"
#include "model/platform_profile.h"

namespace kelvo {
namespace {

using calibration::calibrationWrite;

constexpr double kPpmPerPercent = 10000;
constexpr double kFahrenheitPerKelvin = 1.8;

// Notes what the calibration's writes replace on the sensor, first value per byte, and
// passes every call on to the service record so backups and history see the same writes.
class ChangeTracker : public ServiceRecorder {
public:
    explicit ChangeTracker(Context& ctx) : ctx_(ctx), inner_(ctx.serviceRecorder) {
        ctx.serviceRecorder = this;
    }
    ~ChangeTracker() override { ctx_.serviceRecorder = inner_; }
    ChangeTracker(const ChangeTracker&) = delete;
    ChangeTracker& operator=(const ChangeTracker&) = delete;

    void actionStarted(Context& ctx, const std::string& action, Kind kind) override {
        if (inner_) inner_->actionStarted(ctx, action, kind);
    }
    void referenceTyped(const std::string& text) override {
        if (inner_) inner_->referenceTyped(text);
    }
    void actionEnded(Context& ctx, bool succeeded) override {
        if (inner_) inner_->actionEnded(ctx, succeeded);
    }
    void noted(Note what, const std::string& text) override {
        if (inner_) inner_->noted(what, text);
    }
    void keepRecord() override {
        if (inner_) inner_->keepRecord();
    }
    bool beforeWrite(Context& ctx, bool eeprom, std::span<const uint8_t> selection) override {
        // The image holds what is about to be sent: reads for the backup and the way back
        // must not put the sensor's old bytes over it.
        const std::span<float> image =
            eeprom ? std::span<float>(ctx.EeImage) : std::span<float>(ctx.RamImage);
        const std::vector<float> toSend(image.begin(), image.end());
        std::vector<bool> selected(image.size());
        for (size_t a = 0; a < selection.size() && a < image.size(); ++a)
            selected[a] = selection[a] != 0;
        bool ok = !inner_ || inner_->beforeWrite(ctx, eeprom, selection);
        // The way back needs what the sensor holds where the write goes; the record has
        // usually read it already, so this costs traffic only without one.
        ok = ok && (!counts(eeprom) || ReadUnknownSelected(ctx, eeprom, selected, true));
        // Refused before anything went out: the image keeps what the sensor holds, so no
        // later send takes the calibration's words there.
        const auto& last =
            eeprom ? std::span<const float>(ctx.EeLast) : std::span<const float>(ctx.RamLast);
        const auto& known =
            eeprom ? std::span<const bool>(ctx.EeRead) : std::span<const bool>(ctx.RamRead);
        for (size_t a = 0; a < image.size(); ++a)
            if (selected[a]) image[a] = ok ? toSend[a] : known[a] ? last[a] : image[a];
        return ok;
    }
    void bytesPlanned(bool eeprom, int count) override {
        if (inner_) inner_->bytesPlanned(eeprom, count);
    }
    void byteWritten(bool eeprom, int address, float before, float after) override {
        if (inner_) inner_->byteWritten(eeprom, address, before, after);
        if (!counts(eeprom)) return;
        auto [it, fresh] = changes_.try_emplace({eeprom, address}, std::make_pair(before, after));
        if (!fresh) it->second.second = after;
    }

    bool changedAnything() const {
        return std::any_of(changes_.begin(), changes_.end(),
                           [](const auto& c) { return c.second.first != c.second.second; });
    }

    // Writes the replaced bytes back, run by run of neighbouring addresses. The message of
    // the failure stays; true when every run reached the sensor.
    bool putBack() {
        const std::string kept = ctx_.ErrorText;
        ctx_.ErrorText.clear();
        // Sensors that load EEPROM into RAM (or save RAM to EEPROM) on a commit take the
        // restored words into use at once, as the calibration's own writes did; platform 7
        // takes them without.
        const bool commit = GetPlatform(ctx_) != kPlatform7;
        bool ok = true;
        for (auto it = changes_.begin(); it != changes_.end() && ok;) {
            const auto [eeprom, first] = it->first;
            int next = first;
            for (; it != changes_.end() && it->first == std::make_pair(eeprom, next); ++it, ++next)
                (eeprom ? std::span<float>(ctx_.EeImage) : std::span<float>(ctx_.RamImage))[next] =
                    it->second.first;
            ok = SensorMemWrite(
                ctx_, calibrationWrite(MemorySpan{eeprom, 0, first, next - first}, commit));
        }
        ctx_.ErrorText = kept;
        if (ok) {
            changes_.clear();
            return true;
        }
        // The image shows what the sensor was last known to take, as after any failed write.
        for (const auto& [place, change] : changes_)
            (place.first ? std::span<float>(ctx_.EeImage)
                         : std::span<float>(ctx_.RamImage))[place.second] =
                place.first ? ctx_.EeLast[place.second] : ctx_.RamLast[place.second];
        return false;
    }

private:
    // Sensors other than platform 5 keep their calibration in EEPROM; a RAM byte written to
    // them (the timeout counter reset before an unlock) is the link's own.
    bool counts(bool eeprom) const { return eeprom || platform_ == kPlatform5; }

    Context& ctx_;
    ServiceRecorder* inner_;
    uint8_t platform_ = GetPlatform(ctx_);
    std::map<std::pair<bool, int>, std::pair<float, float>> changes_;  // before, after
};

std::string unitOf(Context& ctx, const CalibrationAim& aim) {
    return QuantityUnit(ctx, aim.quantity, aim.channel);
}

double displayed(Context& ctx, float raw, float channel) {
    return ParseNumber(FormatChannelValue(ctx, raw, channel, false, true));
}

void note(Context& ctx, ServiceRecorder::Note what, const std::string& text) {
    if (ctx.serviceRecorder) ctx.serviceRecorder->noted(what, text);
}

// The CO2 tolerances are given in ppm; a channel shown in % works in its own unit.
double inUnit(double ppm, const std::string& unit) {
    return unit == "%" ? ppm / kPpmPerPercent : ppm;
}
double toPpm(double value, const std::string& unit) {
    return unit == "%" ? value * kPpmPerPercent : value;
}

// Reads the channel once the sensor has measured through its new words; false with the
// message when it does not read the reference.
bool checkReading(Context& ctx, const CalibrationAim& aim) {
    if (!calibration::waitYielding(ctx, kCalibrationSettleMs)) return false;
    const float raw = GetChannelValue(ctx, aim.channel, false);
    if (!ctx.ErrorText.empty()) return false;
    const std::string unit = unitOf(ctx, aim);
    const double reading = displayed(ctx, raw, aim.channel);
    const double reference = displayed(ctx, aim.reference, aim.channel);
    note(ctx, ServiceRecorder::Note::AsLeft, ValueWithUnit(reading, unit));
    if (std::fabs(reading - reference) <= CalibrationTolerance(aim.quantity, reference, unit))
        return true;
    return failWith(ctx, "The sensor reads " + ValueWithUnit(reading, unit) +
                             " after calibration, not " + NumberText(reference) +
                             ": the previous calibration was put back.");
}

}  // namespace

bool RunCheckedCalibration(Context& ctx,
                           const std::function<bool(std::optional<CalibrationAim>&)>& procedure) {
    ChangeTracker tracker(ctx);
    std::optional<CalibrationAim> aim;
    bool ok = procedure(aim);
    if (aim) {
        note(ctx, ServiceRecorder::Note::Quantity, QuantityName(aim->quantity));
        note(ctx, ServiceRecorder::Note::Reference,
             ValueWithUnit(displayed(ctx, aim->reference, aim->channel), unitOf(ctx, *aim)));
    }
    if (ok && !aim) ok = failWith(ctx, "The calibration named no reference to check it against.");
    if (ok) ok = checkReading(ctx, *aim);
    if (ok || !tracker.changedAnything()) return ok;
    // The procedure's port rule has closed the port; putting back opens it again and
    // closes it after.
    const bool checkFailed =
        ctx.ErrorText.find("the previous calibration was put back") != std::string::npos;
    if (!tracker.putBack() && checkFailed) {
        const auto at = ctx.ErrorText.find(": the previous");
        ctx.ErrorText =
            ctx.ErrorText.substr(0, at) + ", and the previous calibration could not be put back.";
    } else if (!checkFailed && !isCancelled(ctx) && !tracker.changedAnything()) {
        std::string text = ctx.ErrorText;
        if (!text.empty() && text.back() != '.') text += '.';
        ctx.ErrorText = text + " The previous calibration was put back.";
    }
    return false;
}

double CalibrationTolerance(CalQuantity quantity, double reference, const std::string& unit) {
    switch (quantity) {
        case CalQuantity::CO2:
            // What NDIR sensors of this class promise: 30 ppm plus 3 % of the reading. A
            // one-pass span fit lands within it up to the top of its detector's range (the
            // table is straight between its points); beyond that it is no calibration.
            return inUnit(30 + 0.03 * std::fabs(toPpm(reference, unit)), unit);
        case CalQuantity::Temperature:
            // A temperature calibration shifts the reading by exactly the difference; half a
            // degree covers the air moving while the sensor settles and the last digit.
            return unit == "F" ? 0.5 * kFahrenheitPerKelvin : 0.5;
        case CalQuantity::O2:
            // Electrochemical O2 cells are specified to about 1 % of their 0-25 % range.
            return 0.3;
    }
    return 0;
}

double PlausibleDistance(CalQuantity quantity, double reference, const std::string& unit) {
    switch (quantity) {
        case CalQuantity::CO2:
            // A detector drifts some tens of ppm a year; 300 ppm (or 30 % at high
            // concentrations) is more than years of drift and less than the gap between
            // room air and zero gas, the usual mistake.
            return inUnit(std::max(300.0, 0.3 * std::fabs(toPpm(reference, unit))), unit);
        case CalQuantity::Temperature:
            return unit == "F" ? 10 * kFahrenheitPerKelvin : 10;
        case CalQuantity::O2:
            // A cell loses some 5 to 10 % of its signal a year: at 20.9 % that is about 2 %.
            // Zero gas read by a cell in air (20.9 % away) is far beyond it.
            return std::max(1.0, 0.1 * std::fabs(reference));
    }
    return 0;
}

float QuantityChannel(Context& ctx, CalQuantity quantity) {
    constexpr float kO2Channel = 6;
    return quantity == CalQuantity::CO2           ? PlatformCO2Channel(ctx)
           : quantity == CalQuantity::Temperature ? PlatformTempChannel(ctx)
                                                  : kO2Channel;
}

std::string QuantityName(CalQuantity quantity) {
    switch (quantity) {
        case CalQuantity::CO2:
            return "CO2";
        case CalQuantity::Temperature:
            return "Temperature";
        case CalQuantity::O2:
            break;
    }
    return "O2";
}

std::string QuantityUnit(Context& ctx, CalQuantity quantity, float channel) {
    const std::string unit = GetUnitText(ctx, channel);
    if (quantity == CalQuantity::Temperature) return unit == "F" ? "F" : "C";
    return unit.empty() ? (quantity == CalQuantity::CO2 ? "ppm" : "%") : unit;
}

std::string ValueWithUnit(double value, const std::string& unit) {
    if (unit == "C" || unit == "F") return NumberText(value) + " \xC2\xB0" + unit;
    return NumberText(value) + " " + unit;
}

double PresentReading(Context& ctx, float channel) {
    const float raw = GetChannelValue(ctx, channel, false);
    return ctx.ErrorText.empty() ? displayed(ctx, raw, channel) : 0;
}

std::string PlausibilityProblem(Context& ctx, CalQuantity quantity, double reference) {
    const float channel = QuantityChannel(ctx, quantity);
    const double reading = PresentReading(ctx, channel);
    if (!ctx.ErrorText.empty()) return ctx.ErrorText;
    const std::string unit = QuantityUnit(ctx, quantity, channel);
    note(ctx, ServiceRecorder::Note::Quantity, QuantityName(quantity));
    note(ctx, ServiceRecorder::Note::Reference, ValueWithUnit(reference, unit));
    note(ctx, ServiceRecorder::Note::AsFound, ValueWithUnit(reading, unit));
    if (std::fabs(reading - reference) <= PlausibleDistance(quantity, reference, unit)) return "";
    return "The sensor reads " + ValueWithUnit(reading, unit) + " now, and the reference is " +
           ValueWithUnit(reference, unit) + ": more than " +
           ValueWithUnit(PlausibleDistance(quantity, reference, unit), unit) +
           " apart. Check the gas or the number typed; calibrate anyway only if you are sure.";
}

std::string ImpossibleWord(const std::string& what, double word, bool zeroStopsIt,
                           WordRange range) {
    if (zeroStopsIt && word == 0)
        return "The computed " + what + " is 0: the sensor would stop measuring. Nothing was sent.";
    if (std::isfinite(word) && word >= range.low && word <= range.high) return "";
    return "The computed " + what + " is " + NumberText(word) + ": the sensor holds " +
           NumberText(range.low) + " to " + NumberText(range.high) + ". Nothing was sent.";
}

std::string ImpossibleTable(std::span<const double> entries, int direction) {
    for (size_t i = 1; i < entries.size(); ++i) {
        if ((entries[i] - entries[i - 1]) * direction < 0)
            return "The computed table is not " +
                   std::string(direction > 0 ? "rising" : "falling") + " at entry " +
                   std::to_string(i) +
                   ": the sensor would report one value for two readings. "
                   "Nothing was sent.";
    }
    return "";
}

}  // namespace kelvo
