#include "service/backup.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "common/context.h"
#include "common/system_clock.h"
#include "common/values.h"
#include "files/settings_file_format.h"
#include "files/file_writer.h"
#include "link/address_lists.h"
#include "model/identification.h"
#include "model/platform_profile.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

constexpr int kFileEepromBytes = 512;
constexpr int kRamBlockGapFirst = 112;  // RAM 112..127 are not in a file
constexpr int kRamBlockGapEnd = 128;

uint8_t byteOf(float value) {
    return static_cast<uint8_t>(std::clamp<long long>(ToInteger(value), 0, 255));
}

// The bytes a file's mask block marks as carried.
std::array<uint8_t, kAddressMaskSize> selectionOf(Context& ctx, int32_t list) {
    const auto kept = ctx.AddressMask;
    ctx.AddressMask.fill(0);
    SelectAddressList(ctx, list);
    const auto selection = ctx.AddressMask;
    ctx.AddressMask = kept;
    return selection;
}

}  // namespace

std::optional<Bytes> LastReadSettingsFile(Context& ctx, std::string& why) {
    const PlatformProfile* profile = FindProfile(GetPlatform(ctx), GetVersion(ctx));
    if (!profile || profile->saveBlocks.empty()) {
        why = "this sensor's settings have no settings file";
        return std::nullopt;
    }
    const bool ram = profile->platform == kPlatform5;
    // Every byte the file carries must be known: a load checks the identification and
    // version bytes as well as the settings.
    for (int a = 0; a < (ram ? 256 : kFileEepromBytes); ++a) {
        const bool carried = !ram || a < kRamBlockGapFirst || a >= kRamBlockGapEnd;
        if (carried && !(ram ? ctx.RamRead[a] : ctx.EeRead[a])) {
            why = "not all of the sensor's settings were read";
            return std::nullopt;
        }
    }
    const auto selection = selectionOf(ctx, profile->saveList);

    Bytes blocks;
    for (const SaveBlock& block : profile->saveBlocks) {
        Bytes data;
        switch (block.type) {
            case kSetBlockRam:
                for (int a = 0; a < 256; ++a)
                    if (a < kRamBlockGapFirst || a >= kRamBlockGapEnd)
                        data.push_back(byteOf(ctx.RamLast[a]));
                break;
            case kSetBlockEeprom:
                for (int a = 0; a < kFileEepromBytes; ++a) data.push_back(byteOf(ctx.EeLast[a]));
                break;
            case kSetBlockMask:
                data.assign(kSetMaskBlockPrefix, 0);
                for (int a = 0; a < kFileEepromBytes; ++a)
                    data.push_back(block.maskFromAddressMask ? selection[a] : ctx.LastMaskBlock[a]);
                break;
            default:
                why = "unknown block type " + std::to_string(block.type);
                return std::nullopt;
        }
        const Bytes made = MakeSetBlock(static_cast<uint16_t>(block.type), data);
        blocks.insert(blocks.end(), made.begin(), made.end());
    }
    return MakeSetFile(profile->writerFlag, static_cast<uint16_t>(profile->saveBlocks.size()),
                       blocks);
}

std::string BackupFileName(const std::string& serialText,
                           std::chrono::system_clock::time_point when) {
    std::string name = serialText.empty() ? "unknown" : serialText;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') c = '_';
    return name + "_" + LocalTimeText(when, "%Y-%m-%d_%H%M%S") + ".Set";
}

BackupResult SaveBackup(Context& ctx, const std::string& serialText,
                        std::chrono::system_clock::time_point when) {
    BackupResult result;
    const std::optional<Bytes> file = LastReadSettingsFile(ctx, result.error);
    if (!file) return result;
    const fs::path folder = fs::path(ctx.AppDir) / kBackupFolder;
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
        *file, result.error);
    result.writeFailed = result.path.empty();
    return result;
}

}  // namespace kelvo
