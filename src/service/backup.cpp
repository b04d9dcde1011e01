#include "service/backup.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "common/context.h"
#include "common/system_clock.h"
#include "common/values.h"
#include "files/file_writer.h"
#include "files/settings_file.h"
#include "files/settings_file_format.h"
#include "link/address_lists.h"
#include "model/identification.h"
#include "model/platform_profile.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

constexpr int kRamBlockGapFirst = 112;  // RAM 112..127 are not in a file
constexpr int kRamBlockGapEnd = 128;
constexpr int kEeIdByteCopy = 164;  // a load takes the identification byte from here

bool inRamBlock(int a) {
    return a < kRamBlockGapFirst || a >= kRamBlockGapEnd;
}

uint8_t byteOf(float value) {
    return static_cast<uint8_t>(std::clamp<long long>(ToInteger(value), 0, 255));
}

// The bytes an address list selects, per address.
std::array<uint8_t, kAddressMaskSize> selectionOf(Context& ctx, int32_t list) {
    const auto kept = ctx.AddressMask;
    ctx.AddressMask.fill(0);
    SelectAddressList(ctx, list);
    const auto selection = ctx.AddressMask;
    ctx.AddressMask = kept;
    return selection;
}

const PlatformProfile* backupProfile(Context& ctx) {
    const PlatformProfile* profile = FindProfile(GetPlatform(ctx), GetVersion(ctx));
    return profile && !profile->saveBlocks.empty() ? profile : nullptr;
}

}  // namespace

bool ReadForBackup(Context& ctx, const BackupCoverage& cover) {
    const PlatformProfile* profile = backupProfile(ctx);
    if (!profile) return true;
    const bool ram = profile->platform == kPlatform5;
    std::vector<bool> wanted(ram ? kRamImageSize : kEeImageSize, false);
    for (size_t a = 0; a < (ram ? cover.ram.size() : cover.eeprom.size()); ++a)
        wanted[a] = (ram ? cover.ram[a] : cover.eeprom[a]) != 0;
    if (!ram) wanted[kEeIdByteCopy] = true;
    // One pass for the covered bytes and what a load of the backup checks; the load's own
    // questions then find them read.
    return ReadWithIdentity(ctx, !ram, wanted, true) && LearnLoadIdentity(ctx);
}

std::optional<Bytes> BackupSettingsFile(Context& ctx, const BackupCoverage& cover,
                                        std::string& why) {
    const PlatformProfile* profile = backupProfile(ctx);
    if (!profile) {
        why = "this sensor's settings have no settings file";
        return std::nullopt;
    }
    const bool ram = profile->platform == kPlatform5;
    const auto settings = selectionOf(ctx, ram ? profile->loadList : profile->saveList);
    // What a load takes: the settings the image knows, and every covered byte, which must be
    // known; a byte nobody read is neither taken nor invented.
    std::array<uint8_t, kBackupEepromBytes> mask{};
    for (int a = 0; a < (ram ? kBackupRamBytes : kBackupEepromBytes); ++a) {
        if (ram && !inRamBlock(a)) continue;
        const bool known = ram ? ctx.RamRead[a] : ctx.EeRead[a];
        const uint8_t covered = ram ? cover.ram[a] : cover.eeprom[a];
        if (covered && !known) {
            why = std::string("the sensor's ") + (ram ? "RAM " : "EEPROM ") + std::to_string(a) +
                  " could not be read";
            return std::nullopt;
        }
        if (known) mask[a] = static_cast<uint8_t>(settings[a] | covered);
    }
    const bool idKnown = ram ? ctx.RamRead[kRamIdByte] : ctx.EeRead[kEeIdByteCopy];
    if (!idKnown) {
        why = "the sensor's identification could not be read";
        return std::nullopt;
    }

    Bytes data;
    Bytes blocks;
    auto addBlock = [&blocks](uint16_t type, const Bytes& content) {
        const Bytes made = MakeSetBlock(type, content);
        blocks.insert(blocks.end(), made.begin(), made.end());
    };
    Bytes maskData(kSetMaskBlockPrefix, 0);
    maskData.insert(maskData.end(), mask.begin(), mask.end());
    uint16_t count = 0;
    for (const SaveBlock& block : profile->saveBlocks) {
        data.clear();
        if (block.type == kSetBlockRam) {
            for (int a = 0; a < kBackupRamBytes; ++a)
                if (inRamBlock(a))
                    data.push_back(cover.ram[a]     ? byteOf(cover.ramWas[a])
                                   : ctx.RamRead[a] ? byteOf(ctx.RamLast[a])
                                                    : 0);
        } else if (block.type == kSetBlockEeprom) {
            for (int a = 0; a < kBackupEepromBytes; ++a)
                data.push_back(cover.eeprom[a] ? byteOf(cover.eepromWas[a])
                               : ctx.EeRead[a] ? byteOf(ctx.EeLast[a])
                                               : 0);
        } else if (block.type == kSetBlockMask) {
            data = maskData;
        } else {
            why = "unknown block type " + std::to_string(block.type);
            return std::nullopt;
        }
        addBlock(static_cast<uint16_t>(block.type), data);
        ++count;
    }
    // Platform-5 files carry no mask of their own: a backup adds one, so that a load takes
    // exactly what the backup holds, calibration words included.
    if (ram) {
        addBlock(kSetBlockMask, maskData);
        ++count;
    }
    return MakeSetFile(profile->writerFlag, count, blocks);
}

std::string BackupFileName(const std::string& serialText,
                           std::chrono::system_clock::time_point when) {
    std::string name = serialText.empty() ? "unknown" : serialText;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') c = '_';
    return name + "_" + LocalTimeText(when, "%Y-%m-%d_%H%M%S") + ".Set";
}

BackupResult SaveBackup(const std::string& appDir, const Bytes& file, const std::string& serialText,
                        std::chrono::system_clock::time_point when) {
    BackupResult result;
    const fs::path folder = fs::path(appDir) / kBackupFolder;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        result.error = folder.string() + ": " + error.message();
        result.writeFailed = true;
        return result;
    }
    const std::string name = BackupFileName(serialText, when);
    const std::string stem = name.substr(0, name.size() - 4);
    // The name is claimed by the rename itself: parallel runs in one folder, each with a
    // backup of the same sensor in the same second, get one file each.
    result.path = WriteUnderFreeName(
        [&](int attempt) {
            return (folder / (attempt == 1 ? name : stem + "-" + std::to_string(attempt) + ".Set"))
                .string();
        },
        file, result.error);
    result.writeFailed = result.path.empty();
    return result;
}

}  // namespace kelvo
