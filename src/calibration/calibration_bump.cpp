#include "calibration/calibration_bump.h"

#include <cmath>

#include "common/context.h"
#include "common/values.h"

namespace kelvo {

BumpCheck CheckAgainstReference(Context& ctx, CalQuantity quantity, double referenceInDisplayUnit) {
    BumpCheck check;
    check.reference = referenceInDisplayUnit;
    RecordedAction action(ctx, QuantityName(quantity) + " check", ServiceRecorder::Kind::Check);
    const float channel = QuantityChannel(ctx, quantity);
    check.reading = PresentReading(ctx, channel);
    if (!ctx.ErrorText.empty()) {
        check.message = ctx.ErrorText;
        action.finish(false);
        return check;
    }
    check.read = true;
    check.unit = QuantityUnit(ctx, quantity, channel);
    check.deviation = check.reading - check.reference;
    check.tolerance = CalibrationTolerance(quantity, check.reference, check.unit);
    check.within = std::fabs(check.deviation) <= check.tolerance;
    const auto shown = [&check](double value) { return ValueWithUnit(value, check.unit); };
    action.note(ServiceRecorder::Note::Quantity, QuantityName(quantity));
    action.note(ServiceRecorder::Note::Reference, shown(check.reference));
    action.note(ServiceRecorder::Note::AsFound, shown(check.reading));
    check.message =
        "The sensor reads " + shown(check.reading) + " against " + shown(check.reference) + ": " +
        (check.within ? "within " + shown(check.tolerance) + ". No calibration is needed."
                      : shown(std::fabs(check.deviation)) + " off, more than the " +
                            shown(check.tolerance) + " allowed. A calibration is needed.");
    // The history line of a check that failed says why.
    if (!check.within) ctx.ErrorText = check.message;
    action.finish(check.within);
    if (!check.within) ctx.ErrorText.clear();
    return check;
}

}  // namespace kelvo
