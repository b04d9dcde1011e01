#pragma once
// Backups of what a sensor held before a send: a settings file made from the bytes the image
// last read from the sensor, so a send can always be undone by loading it and sending it.

#include <chrono>
#include <optional>
#include <string>

#include "common/platform.h"

namespace kelvo {

struct Context;

constexpr const char* kBackupFolder = "backups";

// The settings file a window would save if the image held exactly what was last read from
// the sensor. nullopt, with the reason in why, when the platform's settings fit no
// settings file or a byte of the file was never read (a backup must not invent values).
std::optional<Bytes> LastReadSettingsFile(Context& ctx, std::string& why);

// "<serial text>_<YYYY-MM-DD_HHMMSS>.Set" in local time; characters a file name cannot
// safely carry become '_', and a sensor without serial text is "unknown".
std::string BackupFileName(const std::string& serialText,
                           std::chrono::system_clock::time_point when);

struct BackupResult {
    std::string path;   // the file written; empty when none was
    std::string error;  // why not
    // The backup could be made but not written (a full disk, no permission), as opposed to
    // a sensor whose settings no backup can hold.
    bool writeFailed = false;
};

// Writes LastReadSettingsFile into the backups folder of AppDir (made when missing), under
// BackupFileName with "-2", "-3", ... added rather than overwrite an earlier backup, or
// share a name with one another process saves at the same moment.
BackupResult SaveBackup(Context& ctx, const std::string& serialText,
                        std::chrono::system_clock::time_point when);

}  // namespace kelvo
