#pragma once
// What a calibration report tells about one visit to a sensor, gathered from the service
// history and the backups in AppDir: the sensor, each calibration and check with its
// readings, and the settings changed meanwhile. The layout of the report lives apart.

#include <chrono>
#include <string>
#include <vector>

namespace kelvo {

struct ReportFilter {
    std::string serial;      // the sensor's serial text; empty: the sensor of the latest row
    std::string since;       // "YYYY-MM-DD" or "YYYY-MM-DD HH:MM[:SS]" in local time; empty:
                             // the day of that sensor's latest row
    std::string technician;  // empty: the name kept in the per-user settings
};

// One calibration or check, each text as the history holds it.
struct VisitRow {
    std::string time;
    std::string action;
    std::string quantity;
    std::string reference;
    std::string asFound;
    std::string asLeft;
    std::string deviation;  // the reading against the reference: as left, or as found for a
                            // check; empty when either is not a number
    std::string stability;
    std::string result;
    std::string message;
};

struct CalibrationVisit {
    std::string serial;
    int platform = 0;
    std::string version;
    std::chrono::system_clock::time_point first{};
    std::chrono::system_clock::time_point last{};
    std::vector<VisitRow> rows;
    // What each send of the visit changed ("14:05 kelvo-cli write: EEPROM 32: 0 -> 5"), then
    // one line per named setting (or byte) that differs between the visit's first and last
    // backups, and which files they were; or why no backups could be compared.
    std::vector<std::string> settingsChanged;
    std::string settingsNote;
};

// Fills visit from history.csv in appDir; false with the reason in error when the history
// cannot be read, the filter is not understood or no row matches it.
bool CollectVisit(const std::string& appDir, const ReportFilter& filter, CalibrationVisit& visit,
                  std::string& error);

}  // namespace kelvo
