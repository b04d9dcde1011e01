#include "service/history.h"

#include <filesystem>

#include "common/system_clock.h"
#include "files/csv_field.h"
#include "files/file_writer.h"

namespace kelvo {

std::vector<std::string> HistoryColumns() {
    return {"Time",  "Serial",        "Platform",      "Version", "Action", "Reference", "Before",
            "After", "Bytes written", "Bytes changed", "Backup",  "Result", "Message"};
}

std::string HistoryLine(const HistoryEntry& e) {
    return CsvLine({LocalTimeText(e.time, "%Y-%m-%d %H:%M:%S"), e.serial,
                    e.platform ? std::to_string(e.platform) : "", e.version, e.action, e.reference,
                    e.before, e.after, std::to_string(e.bytesWritten),
                    std::to_string(e.bytesChanged), e.backup, e.result, e.message});
}

bool AppendHistory(const std::string& appDir, const HistoryEntry& entry, std::string& error) {
    const std::filesystem::path path = std::filesystem::path(appDir) / kHistoryFile;
    // CRLF, as a spreadsheet on the program's home system expects.
    if (AppendWhole(path.string(), HistoryLine(entry) + "\r\n",
                    CsvLine(HistoryColumns()) + "\r\n", error))
        return true;
    error = path.string() + ": " + error;
    return false;
}

}  // namespace kelvo
