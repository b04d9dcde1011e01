#pragma once
// The service history: one line per send or calibration in history.csv of AppDir, for a
// spreadsheet to read. The file is only ever appended to, never rewritten.

#include <chrono>
#include <string>
#include <vector>

namespace kelvo {

constexpr const char* kHistoryFile = "history.csv";

struct HistoryEntry {
    std::chrono::system_clock::time_point time;
    std::string serial;
    int platform = 0;
    std::string version;
    std::string action;
    std::string reference;  // the value typed for a calibration
    std::string before;    // a calibration's words (a send's changed bytes) as the sensor held them
    std::string after;     // and as they were sent
    int bytesWritten = 0;  // data bytes the sensor acknowledged
    int bytesChanged = 0;  // of those, bytes that now differ from what the sensor held
    std::string backup;    // the backup's file name, or why there is none
    std::string result;    // done, failed, interrupted or refused (nothing reached the sensor)
    std::string message;   // why it did not end as done
    // Calibrations and checks; the columns came later and stand at the end of the line, so
    // files written before them still read.
    std::string quantity;   // "CO2", "Temperature" or "O2"
    std::string asFound;    // the reading before, with its unit
    std::string asLeft;     // the reading after
    std::string stability;  // the readings' spread and drift before, where a window had them
};

std::vector<std::string> HistoryColumns();
// One CSV line of CsvFields, without its line break.
std::string HistoryLine(const HistoryEntry& entry);
// Appends the line (and the column names first, when the file is new or empty) whole, in
// one write; false, with the path and the system's words in error, when it could not, and
// then the file holds not a byte of it.
bool AppendHistory(const std::string& appDir, const HistoryEntry& entry, std::string& error);

// Every row of history.csv in appDir, oldest first, from files of any age: a row shorter
// than today's columns leaves the missing ones empty, a header line (one at the top, or
// another where files were joined) is skipped. A missing file is no rows and no error;
// false with the path and the system's words in error when the file could not be read.
bool ReadHistory(const std::string& appDir, std::vector<HistoryEntry>& rows, std::string& error);

}  // namespace kelvo
