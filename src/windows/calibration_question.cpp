#include "windows/calibration_question.h"

#include <cmath>

#include "common/context.h"
#include "common/values.h"
#include "model/channels.h"
#include "model/identification.h"
#include "windows/trend_window.h"

namespace kelvo {

namespace {

std::string figure(double value) {
    return NumberText(RoundHalfEven(value * 1000) / 1000);
}

std::string withUnit(double value, const std::string& unit) {
    if (unit == "C" || unit == "F") return figure(value) + " \xC2\xB0" + unit;
    return unit.empty() ? figure(value) : figure(value) + " " + unit;
}

// A technician calibrates a settled reading: one that has been watched for a minute and
// moved less than the calibration will be held to afterwards.
std::string steadinessText(const CalibrationPlan& plan, const std::string& unit,
                           const Steadiness& steadiness) {
    const double minute = TrendWindow::kStabilitySeconds;
    if (steadiness.watchedSeconds < minute || !steadiness.lastMinute.driftPerMinute) {
        return "Not yet steady as far as is known: " +
               (steadiness.lastMinute.samples > 0
                    ? "only " + NumberText(std::floor(steadiness.watchedSeconds)) +
                          " s of readings so far"
                    : std::string("no readings watched yet")) +
               ". Wait until the window has shown a minute of readings.";
    }
    const double tolerance = CalibrationTolerance(plan.quantity, plan.reference, unit);
    const double drift = *steadiness.lastMinute.driftPerMinute;
    std::string text = "Over the last minute: spread " +
                       withUnit(steadiness.lastMinute.spread, unit) + ", drift " +
                       (drift > 0 ? "+" : "") + withUnit(drift, unit) + " per minute.\n";
    if (steadiness.lastMinute.spread > tolerance || std::fabs(drift) > tolerance)
        return text + "Not yet steady: the reading moves more than the " +
               withUnit(tolerance, unit) + " the calibration is checked to. Wait until it settles.";
    return text + "Steady within the " + withUnit(tolerance, unit) +
           " the calibration is checked to.";
}

}  // namespace

std::string CalibrationQuestion(const CalibrationPlan& plan, const std::string& unit,
                                double reading, const Steadiness& steadiness) {
    return "Calibrate " + plan.title + "?\n\n" + "The sensor reads " + withUnit(reading, unit) +
           " now.\n" + "Reference: " + withUnit(plan.reference, unit) + ", " + plan.gas + ".\n" +
           "What changes: " + plan.change + ", so that the sensor reads " +
           withUnit(plan.reference, unit) + ".\n" + steadinessText(plan, unit, steadiness) +
           "\n\nEnter calibrates; Escape cancels and sends nothing to the sensor.";
}

bool AskBeforeCalibrating(Context& ctx, const CalibrationPlan& plan, const Steadiness& steadiness) {
    const float raw = GetChannelValue(ctx, plan.channel, false);
    if (!ctx.ErrorText.empty()) return false;
    const std::string unit = GetUnitText(ctx, plan.channel);
    const double reading = ParseNumber(FormatChannelValue(ctx, raw, plan.channel, false, true));
    if (!ctx.prompt.proceed(CalibrationQuestion(plan, unit, reading, steadiness)))
        return (cancel(ctx), false);
    const std::string problem = PlausibilityProblem(ctx, plan.quantity, plan.reference);
    if (!ctx.ErrorText.empty()) return false;
    if (!problem.empty() &&
        !ctx.prompt.confirm(problem + "\n\nCalibrate " + plan.title + " all the same?"))
        return (cancel(ctx), false);
    return true;
}

}  // namespace kelvo
