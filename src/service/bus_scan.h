#pragma once
// Finding the sensors on a network: every network ID is asked with the line handshake
// alone, and each one that answers is identified.

#include <functional>
#include <string>
#include <vector>

#include "common/context.h"

namespace kelvo {

struct FoundSensor {
    int id = 0;
    int platform = 0;     // 0 when the identification byte names no platform we know
    std::string version;  // as the windows show it
    std::string serial;   // serial text
    std::string error;    // why it could not be identified, when it could not
};

// Whether a sensor answers the handshake at SensorAddress (asked again when it does not);
// the port must be open. Nothing but the handshake goes out.
bool SensorAnswers(Context& ctx);

// Asks IDs kFirstNetworkId..kLastNetworkId in turn on the port the Context has, telling
// progress of each ID before it is asked; a progress that returns false, or a cancel in
// ErrorText, ends the scan with what was found so far. SensorAddress is kept; the image is
// left empty, since it held every sensor in turn. A port that does not open fails the
// scan with the port's words in ErrorText.
bool ScanNetwork(Context& ctx, std::vector<FoundSensor>& found,
                 const std::function<bool(int id)>& progress = {});

// "ID 2: platform 6, version 0, serial 22112345".
std::string FoundSensorLine(const FoundSensor& sensor);

}  // namespace kelvo
