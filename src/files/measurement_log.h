#pragma once
// The measurement log: one CSV row per poll, readable by any spreadsheet whatever its
// locale, since numbers always carry a point and fields are separated by commas.

#include <string>
#include <vector>

namespace kelvo {

struct LogColumn {
    std::string channel;
    std::string unit;
};

// A comment line naming the sensor, then the header row: "time", then "name (unit)".
std::string MeasurementLogHeader(const std::string& serialText,
                                 const std::vector<LogColumn>& columns);
// One row: the time stamp, then each value as shown, with a point as decimal separator.
std::string MeasurementLogRow(const std::string& timestamp,
                              const std::vector<std::string>& shownValues);

}  // namespace kelvo
