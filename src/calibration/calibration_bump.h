#pragma once
// A check without adjusting (a bump test): the channel is read against a reference gas or
// temperature and compared with the calibration tolerance. Nothing is written to the
// sensor; the result tells the technician whether a calibration is needed at all.

#include <string>

#include "calibration/calibration_check.h"

namespace kelvo {

struct Context;

struct BumpCheck {
    bool read = false;     // the channel could be read; when not, message says why
    double reading = 0;    // the present reading, in the channel's display unit
    double reference = 0;  // as given
    double deviation = 0;  // reading - reference
    double tolerance = 0;  // CalibrationTolerance for the reference
    bool within = false;   // |deviation| <= tolerance
    std::string unit;      // "ppm", "%", "C", "F"
    std::string message;   // one sentence for the technician, in every case
};

// Reads the quantity's channel (the platform's CO2 or temperature channel, or O2) and
// compares it with the reference, given in the unit the channel shows. The check is
// recorded in the service history as its own action ("CO2 check", "Temperature check",
// "O2 check": as found = the reading, result done when within the tolerance, else
// failed); call it outside an action of your own. ErrorText is left empty unless the
// sensor could not be read (then it holds the link's message, as message does).
BumpCheck CheckAgainstReference(Context& ctx, CalQuantity quantity, double referenceInDisplayUnit);

}  // namespace kelvo
