#pragma once
// Where two settings files differ: the addresses whose bytes differ and, where the
// platform's settings are named, the setting and both of its values as a technician reads
// them.

#include <string>
#include <vector>

#include "common/platform.h"

namespace kelvo {

struct SettingsDiff {
    std::vector<std::string> lines;  // one per differing byte or named setting
    int bytes = 0;                   // differing bytes that both files take
    int carriedByOne = 0;            // bytes one file's mask takes and the other's does not
    std::string error;               // a file that is no settings file; nothing compared
};

// nameA and nameB name the files in messages.
SettingsDiff DiffSettingsFiles(const Bytes& a, const std::string& nameA, const Bytes& b,
                               const std::string& nameB);

}  // namespace kelvo
