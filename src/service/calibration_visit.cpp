#include "service/calibration_visit.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "common/system_clock.h"
#include "common/values.h"
#include "files/settings_file_format.h"
#include "files/settings_file_io.h"
#include "service/backup.h"
#include "service/history.h"
#include "service/settings_diff.h"

namespace kelvo {
namespace {

constexpr const char* kDay = "%Y-%m-%d";

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Lines written before calibrations named their quantity still say it in their action.
std::string quantityOf(const HistoryEntry& e) {
    if (!e.quantity.empty()) return e.quantity;
    const std::string action = lower(e.action);
    if (action.find("calibrat") == std::string::npos && action.find("check") == std::string::npos)
        return "";
    if (action.find("temp") != std::string::npos) return "Temperature";
    const auto o2 = action.find("o2");
    const bool oxygen = o2 != std::string::npos && (o2 == 0 || action[o2 - 1] != 'c');
    return oxygen ? "O2" : "CO2";
}

struct Number {
    bool valid = false;
    double value = 0;
    std::string unit;  // what follows the number, with its space
};

Number numberOf(const std::string& text) {
    Number n;
    const char* start = text.c_str();
    char* end = nullptr;
    n.value = std::strtod(start, &end);
    n.valid = end != start && std::isfinite(n.value);
    if (n.valid) n.unit = std::string(end);
    return n;
}

std::string deviationOf(const std::string& reading, const std::string& reference) {
    const Number r = numberOf(reading);
    const Number ref = numberOf(reference);
    if (!r.valid || !ref.valid) return "";
    const double d = r.value - ref.value;
    return (d > 0 ? "+" : "") + NumberText(d) + (r.unit.empty() ? ref.unit : r.unit);
}

std::optional<std::chrono::system_clock::time_point> sinceOf(const std::string& text) {
    for (const char* format : {"%Y-%m-%d %H:%M:%S", "%Y-%m-%d %H:%M", kDay})
        if (auto when = ParseLocalTime(text, format)) return when;
    return std::nullopt;
}

// Settings that differ between the visit's first and last backups.
void diffBackups(const std::string& appDir, const std::vector<std::string>& backups,
                 CalibrationVisit& visit) {
    if (backups.size() < 2) {
        visit.settingsNote = backups.empty()
                                 ? "No backup was kept during this visit."
                                 : "One backup was kept during this visit: nothing to compare.";
        return;
    }
    const auto folder = std::filesystem::path(appDir) / kBackupFolder;
    const FileReadResult a = ReadFileBounded((folder / backups.front()).string(), kSetReaderLimit);
    const FileReadResult b = ReadFileBounded((folder / backups.back()).string(), kSetReaderLimit);
    if (a.status != FileReadStatus::Ok || b.status != FileReadStatus::Ok) {
        visit.settingsNote = "The backups " + backups.front() + " and " + backups.back() +
                             " could not both be read.";
        return;
    }
    const SettingsDiff diff = DiffSettingsFiles(a.bytes, backups.front(), b.bytes, backups.back());
    if (!diff.error.empty()) {
        visit.settingsNote = diff.error;
        return;
    }
    visit.settingsChanged.insert(visit.settingsChanged.end(), diff.lines.begin(), diff.lines.end());
    const std::string pair = "the backups " + backups.front() + " (before the first send) and " +
                             backups.back() + " (before the last)";
    visit.settingsNote =
        diff.lines.empty()
            ? "What each send changed; no setting that both " + pair + " hold differs."
            : "What each send changed, then the settings that differ between " + pair + ":";
}

}  // namespace

bool CollectVisit(const std::string& appDir, const ReportFilter& filter, CalibrationVisit& visit,
                  std::string& error) {
    std::vector<HistoryEntry> rows;
    if (!ReadHistory(appDir, rows, error)) return false;
    std::optional<std::chrono::system_clock::time_point> since;
    if (!filter.since.empty() && !(since = sinceOf(filter.since))) {
        error = "\"" + filter.since + "\" is no date: give it as 2026-03-01 or 2026-03-01 14:30.";
        return false;
    }
    std::string serial = filter.serial;
    if (serial.empty() && !rows.empty()) serial = rows.back().serial;
    std::erase_if(rows, [&serial](const HistoryEntry& e) { return e.serial != serial; });
    if (rows.empty()) {
        error = filter.serial.empty()
                    ? "The service history " + std::string(kHistoryFile) + " here holds no rows."
                    : "The service history holds nothing of sensor " + serial + ".";
        return false;
    }
    // Without a date, the visit is the day of the sensor's latest line.
    const std::string lastDay = LocalTimeText(rows.back().time, kDay);
    std::erase_if(rows, [&](const HistoryEntry& e) {
        return since ? e.time < *since : LocalTimeText(e.time, kDay) != lastDay;
    });
    if (rows.empty()) {
        error = "The service history holds nothing of sensor " + serial + " since " + filter.since +
                ".";
        return false;
    }
    visit.serial = serial;
    visit.platform = rows.back().platform;
    visit.version = rows.back().version;
    visit.first = rows.front().time;
    visit.last = rows.back().time;
    std::vector<std::string> backups;
    for (const HistoryEntry& e : rows) {
        if (!e.backup.empty() && e.backup.rfind("none", 0) != 0) backups.push_back(e.backup);
        const std::string quantity = quantityOf(e);
        if (quantity.empty() && !e.after.empty())
            visit.settingsChanged.push_back(LocalTimeText(e.time, "%m-%d %H:%M ") + e.action +
                                            ": " + e.before + " -> " + e.after);
        if (quantity.empty()) continue;
        const bool check = lower(e.action).find("check") != std::string::npos;
        visit.rows.push_back({LocalTimeText(e.time, "%m-%d %H:%M"), e.action, quantity, e.reference,
                              e.asFound, e.asLeft,
                              deviationOf(check ? e.asFound : e.asLeft, e.reference), e.stability,
                              e.result, e.message});
    }
    diffBackups(appDir, backups, visit);
    return true;
}

}  // namespace kelvo
