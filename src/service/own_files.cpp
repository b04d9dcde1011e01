#include "service/own_files.h"

#include <filesystem>
#include <system_error>

#include "common/text.h"
#include "link/com_log.h"
#include "service/backup.h"
#include "service/history.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

constexpr const char* kOwnFiles[] = {kHistoryFile, "last.set", link::kComLogFileName};

// Resolves what exists of the path, so that "./x/../history.csv" or a link to the working
// folder compares equal; a file not made yet keeps its name as given.
fs::path resolved(const std::string& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path.empty() ? "." : path, error);
    if (error) return fs::path(path).lexically_normal();
    const fs::path canonical = fs::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : canonical;
}

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

}  // namespace

bool IsOwnRecordFile(const std::string& appDir, const std::string& path) {
    const fs::path home = resolved(appDir);
    const fs::path target = resolved(path);
    const std::string name = target.filename().string();
    for (const char* own : kOwnFiles) {
        if (target.parent_path() == home && equalsNoCase(name, own)) return true;
        if (sameFile(target, home / own)) return true;
    }
    const fs::path backups = home / kBackupFolder;
    for (fs::path folder = target.parent_path(); folder.has_relative_path();
         folder = folder.parent_path()) {
        if (folder.parent_path() == home && equalsNoCase(folder.filename().string(), kBackupFolder))
            return true;
        if (sameFile(folder, backups)) return true;
    }
    return false;
}

}  // namespace kelvo
