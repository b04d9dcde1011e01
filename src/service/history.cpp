#include "service/history.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "common/system_clock.h"
#include "files/csv_field.h"
#include "files/file_writer.h"
#include "files/settings_file_io.h"

namespace kelvo {

namespace {

constexpr const char* kTimeFormat = "%Y-%m-%d %H:%M:%S";
// Nobody keeps a service history this long; a larger file is not ours.
constexpr size_t kHistoryReadLimit = size_t{64} << 20;

int wholeOr0(const std::string& text) {
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace

std::vector<std::string> HistoryColumns() {
    return {"Time",    "Serial",   "Platform",      "Version",       "Action",   "Reference",
            "Before",  "After",    "Bytes written", "Bytes changed", "Backup",   "Result",
            "Message", "Quantity", "As found",      "As left",       "Stability"};
}

std::string HistoryLine(const HistoryEntry& e) {
    return CsvLine({LocalTimeText(e.time, kTimeFormat), e.serial,
                    e.platform ? std::to_string(e.platform) : "", e.version, e.action, e.reference,
                    e.before, e.after, std::to_string(e.bytesWritten),
                    std::to_string(e.bytesChanged), e.backup, e.result, e.message, e.quantity,
                    e.asFound, e.asLeft, e.stability});
}

bool ReadHistory(const std::string& appDir, std::vector<HistoryEntry>& rows, std::string& error) {
    const std::filesystem::path path = std::filesystem::path(appDir) / kHistoryFile;
    const FileReadResult file = ReadFileBounded(path.string(), kHistoryReadLimit);
    if (file.status == FileReadStatus::Missing) return true;
    if (file.status != FileReadStatus::Ok || file.fileSize > file.bytes.size()) {
        error = path.string() + ": " +
                (file.error.empty() ? "larger than any service history" : file.error);
        return false;
    }
    const std::string text(file.bytes.begin(), file.bytes.end());
    for (std::vector<std::string> cells : CsvRecords(text)) {
        if (cells.front() == "Time") continue;
        cells.resize(std::max(cells.size(), HistoryColumns().size()));
        HistoryEntry e;
        e.time = ParseLocalTime(cells[0], kTimeFormat).value_or(e.time);
        e.serial = cells[1];
        e.platform = wholeOr0(cells[2]);
        e.version = cells[3];
        e.action = cells[4];
        e.reference = cells[5];
        e.before = cells[6];
        e.after = cells[7];
        e.bytesWritten = wholeOr0(cells[8]);
        e.bytesChanged = wholeOr0(cells[9]);
        e.backup = cells[10];
        e.result = cells[11];
        e.message = cells[12];
        e.quantity = cells[13];
        e.asFound = cells[14];
        e.asLeft = cells[15];
        e.stability = cells[16];
        rows.push_back(std::move(e));
    }
    return true;
}

bool AppendHistory(const std::string& appDir, const HistoryEntry& entry, std::string& error) {
    const std::filesystem::path path = std::filesystem::path(appDir) / kHistoryFile;
    // CRLF, as a spreadsheet on the program's home system expects.
    if (AppendWhole(path.string(), HistoryLine(entry) + "\r\n", CsvLine(HistoryColumns()) + "\r\n",
                    error))
        return true;
    error = path.string() + ": " + error;
    return false;
}

}  // namespace kelvo
