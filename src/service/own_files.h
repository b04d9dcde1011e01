#pragma once
// The files Kelvo keeps for itself in its working folder. A file chosen for something else
// (the measurement log) must not be one of them, or a log would overwrite the service
// history or a backup.

#include <string>

namespace kelvo {

// Whether path is the service history, last.set or the communication log of appDir, or
// anything in its backups folder: by name without regard to case, after links and ".."
// are resolved, or as another name of the same file.
bool IsOwnRecordFile(const std::string& appDir, const std::string& path);

}  // namespace kelvo
