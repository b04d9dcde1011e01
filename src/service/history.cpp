#include "service/history.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

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

std::string localTime(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace

std::vector<std::string> HistoryColumns() {
    return {"Time",   "Serial", "Platform",      "Version",       "Action", "Reference",
            "Before", "After",  "Bytes written", "Bytes changed", "Backup"};
}

std::string HistoryLine(const HistoryEntry& e) {
    return csvLine({localTime(e.time), e.serial, e.platform ? std::to_string(e.platform) : "",
                    e.version, e.action, e.reference, e.before, e.after,
                    std::to_string(e.bytesWritten), std::to_string(e.bytesChanged), e.backup});
}

bool AppendHistory(const std::string& appDir, const HistoryEntry& entry, std::string& error) {
    const std::filesystem::path path = std::filesystem::path(appDir) / kHistoryFile;
    std::error_code ignored;
    const bool fresh = !std::filesystem::exists(path, ignored) ||
                       std::filesystem::file_size(path, ignored) == 0;
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
