#pragma once
// What a sensor window tells the technician before a calibration sends anything: the
// channel's present reading, the reference it assumes, what will change and how steady the
// reading has been; and, when the reference lies far from the reading, a second question
// whose safe answer is No.

#include <string>

#include "calibration/calibration_check.h"
#include "windows/measurement_views.h"

namespace kelvo {

struct Context;

struct CalibrationPlan {
    std::string title;  // "CO2 zero"
    CalQuantity quantity = CalQuantity::CO2;
    float channel = 0;     // the channel the calibration aims at, as the model numbers it
    double reference = 0;  // in the channel's display unit
    std::string gas;       // what the reference stands for: "zero gas (nitrogen) ..."
    std::string change;    // the words or table the calibration rewrites
};

// The question, with the reading it was read at (in the channel's display unit).
std::string CalibrationQuestion(const CalibrationPlan& plan, const std::string& unit,
                                double reading, const Steadiness& steadiness);

// Reads the channel and asks; false when the technician stops (ErrorText holds the cancel
// marker) or the channel could not be read (its message in ErrorText). Nothing is written.
bool AskBeforeCalibrating(Context& ctx, const CalibrationPlan& plan, const Steadiness& steadiness);

}  // namespace kelvo
