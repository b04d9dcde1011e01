#pragma once
// The network overview: one row per sensor found on the line, with who it is, its main
// measured values and whether it answers. The rows are refreshed one sensor at a time, so
// the line is never busier than one sensor window makes it.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "service/bus_scan.h"

namespace kelvo {

struct Context;

struct OverviewRow {
    enum class State { Answering, NotAnswering, Busy };
    int id = 0;
    int platform = 0;
    std::string version;
    std::string serial;
    std::string values;  // "CO2 612 ppm; Temp 21.5 °C", empty until first read
    State state = State::Answering;
    std::string silentSince;  // HH:MM of the first poll it missed
};

OverviewRow OverviewRowOf(const FoundSensor& sensor);

// The channels worth showing of a sensor in the image, in channel order. Platforms 5 and 6
// say which exist (measuredOnly: leaving out their outputs); platforms 61 and 7 describe
// every channel they measure with a unit.
std::vector<int> ShownChannels(Context& ctx, uint8_t platform, bool measuredOnly = false);

// "answering", "not answering since 14:05", "busy".
std::string OverviewStateText(const OverviewRow& row);
std::vector<std::string> OverviewColumns();
std::vector<std::string> OverviewFields(const OverviewRow& row);
// A comment line with the title, the header row, then a row per sensor, in the measurement
// log's conventions (commas, quoted where needed, "\n" line ends).
std::string OverviewCsv(const std::string& title, const std::vector<OverviewRow>& rows);

// Reads the main measured values of one sensor at a time. What a sensor is (platform,
// channels, units) is learnt once and kept, so a refresh asks only the measured words.
class OverviewPoller {
public:
    // Refreshes the row's values and state; the time of day (HH:MM) marks when it fell
    // silent. The image is left holding this sensor. False when it did not answer, or the
    // user cancelled (ErrorText then says so).
    bool poll(Context& ctx, OverviewRow& row);
    // Forget what was learnt of the sensor at the ID (it changed, or moved away).
    void forget(int id) { known_.erase(id); }

private:
    struct Known;
    std::map<int, std::shared_ptr<const Known>> known_;
};

// "14:05" from seconds since midnight.
std::string ClockText(double secondsOfDay);

}  // namespace kelvo
