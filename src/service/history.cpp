#include "service/history.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "common/system_clock.h"

namespace kelvo {
namespace {

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string csvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) line += (i ? "," : "") + csvField(fields[i]);
    return line;
}

}  // namespace

std::vector<std::string> HistoryColumns() {
    return {"Time",  "Serial",        "Platform",      "Version", "Action", "Reference", "Before",
            "After", "Bytes written", "Bytes changed", "Backup",  "Result", "Message"};
}

std::string HistoryLine(const HistoryEntry& e) {
    return csvLine({LocalTimeText(e.time, "%Y-%m-%d %H:%M:%S"), e.serial,
                    e.platform ? std::to_string(e.platform) : "", e.version, e.action, e.reference,
                    e.before, e.after, std::to_string(e.bytesWritten),
                    std::to_string(e.bytesChanged), e.backup, e.result, e.message});
}

bool AppendHistory(const std::string& appDir, const HistoryEntry& entry, std::string& error) {
    const std::filesystem::path path = std::filesystem::path(appDir) / kHistoryFile;
    std::error_code ignored;
    const bool fresh =
        !std::filesystem::exists(path, ignored) || std::filesystem::file_size(path, ignored) == 0;
    std::ofstream out(path, std::ios::binary | std::ios::app);
    if (out) {
        // CRLF, as a spreadsheet on the program's home system expects.
        if (fresh) out << csvLine(HistoryColumns()) << "\r\n";
        out << HistoryLine(entry) << "\r\n";
        out.flush();
    }
    if (!out) {
        error = path.string() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace kelvo
