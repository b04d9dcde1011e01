#pragma once
// Backups of what a sensor held before a send: a settings file made from the bytes the image
// last read from the sensor, so a send can always be undone by loading it and sending it.

#include <array>
#include <chrono>
#include <optional>
#include <string>

#include "common/platform.h"

namespace kelvo {

struct Context;

constexpr const char* kBackupFolder = "backups";
constexpr int kBackupEepromBytes = 512;  // what a settings file's EEPROM block holds
constexpr int kBackupRamBytes = 256;

// The bytes an action may change, per memory and address (0 = not, else the mask of the
// bits), which a backup must hold beside the settings so that sending it undoes the action
// whole: calibration words and tables, or whatever a plain write touches.
struct BackupCoverage {
    std::array<uint8_t, kBackupEepromBytes> eeprom{};
    std::array<uint8_t, kBackupRamBytes> ram{};
    // What the sensor held at each covered byte when it was covered, before the action
    // wrote there: a backup extended half-way through an action still holds the old bytes.
    std::array<float, kBackupEepromBytes> eepromWas{};
    std::array<float, kBackupRamBytes> ramWas{};
};

// Reads what BackupSettingsFile needs that the image does not know yet: the covered bytes
// and those a load checks the file against (identification, version, channel set). The
// port stays open for the write that follows. True when nothing was missing or all of it
// was read.
bool ReadForBackup(Context& ctx, const BackupCoverage& cover);

// The settings file that, loaded and sent, puts back every covered byte and every setting
// the image knows as the sensor holds it (the values last read or acknowledged). Its mask
// block says which bytes a load takes from it; bytes the image never learnt are held as 0
// and left out of the mask, so a backup never invents a value. nullopt, with the reason in
// why, when the platform's settings fit no settings file or a covered byte is not known.
std::optional<Bytes> BackupSettingsFile(Context& ctx, const BackupCoverage& cover,
                                        std::string& why);

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

// Writes the file into the backups folder of AppDir (made when missing), under
// BackupFileName with "-2", "-3", ... added rather than overwrite an earlier backup, or
// share a name with one another process saves at the same moment.
BackupResult SaveBackup(const std::string& appDir, const Bytes& file, const std::string& serialText,
                        std::chrono::system_clock::time_point when);

}  // namespace kelvo
