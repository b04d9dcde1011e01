#include "service/service_journal.h"

#include <algorithm>
#include <filesystem>

#include "common/context.h"
#include "common/id_byte.h"
#include "common/values.h"
#include "files/file_writer.h"
#include "link/sensor_mem_write.h"
#include "model/identification.h"
#include "model/platform_profile.h"

namespace kelvo {
namespace {

// The words a calibration wrote, run by run of neighbouring addresses, high byte first:
// "RAM 130: 30720" or "EEPROM 308: 5000 5120 ...".
template <typename Map, typename Pick>
std::string wordsOf(const Map& changes, Pick pick) {
    std::string text;
    for (auto it = changes.begin(); it != changes.end();) {
        const auto [eeprom, first] = it->first;
        std::vector<long long> bytes;
        int next = first;
        while (it != changes.end() && it->first == std::make_pair(eeprom, next)) {
            bytes.push_back(ToInteger(pick(it->second)));
            ++it;
            ++next;
        }
        if (!text.empty()) text += "; ";
        text += (eeprom ? "EEPROM " : "RAM ") + std::to_string(first) + ":";
        for (size_t i = 0; i < bytes.size(); i += 2) {
            const long long word = i + 1 < bytes.size() ? bytes[i] * 256 + bytes[i + 1] : bytes[i];
            text += " " + std::to_string(word);
        }
    }
    return text;
}

// While it lives, the image shows the sensor as last read instead of the edits about to be
// sent, so the sensor is named and backed up by what it holds: an edited version or
// identification byte must not make it another sensor. Bytes read meanwhile are kept.
class ImageAsLastRead {
public:
    explicit ImageAsLastRead(Context& ctx)
        : ctx_(ctx),
          ee_(ctx.EeImage),
          ram_(ctx.RamImage),
          eeRead_(ctx.EeRead),
          ramRead_(ctx.RamRead) {
        ctx.EeImage = ctx.EeLast;
        ctx.RamImage = ctx.RamLast;
    }
    ~ImageAsLastRead() {
        for (size_t a = 0; a < ee_.size(); ++a)
            if (eeRead_[a]) ctx_.EeImage[a] = ee_[a];
        for (size_t a = 0; a < ram_.size(); ++a)
            if (ramRead_[a]) ctx_.RamImage[a] = ram_[a];
    }
    ImageAsLastRead(const ImageAsLastRead&) = delete;
    ImageAsLastRead& operator=(const ImageAsLastRead&) = delete;

private:
    Context& ctx_;
    const decltype(Context::EeImage) ee_;
    const decltype(Context::RamImage) ram_;
    const decltype(Context::EeRead) eeRead_;
    const decltype(Context::RamRead) ramRead_;
};

}  // namespace

ServiceJournal::ServiceJournal(Now now) : now_(std::move(now)) {}

void ServiceJournal::actionStarted(Context&, const std::string& action, Kind kind) {
    active_ = true;
    writing_ = false;
    identified_ = false;
    refused_ = false;
    eepromWritten_ = false;
    kind_ = kind;
    entry_ = HistoryEntry{};
    entry_.action = action;
    changes_.clear();
    cover_ = BackupCoverage{};
    backup_.clear();
    planned_ = 0;
    acknowledged_ = 0;
}

void ServiceJournal::referenceTyped(const std::string& text) {
    entry_.reference = text;
}

void ServiceJournal::identify(Context& ctx) {
    if (identified_) return;
    identified_ = true;
    // beforeWrite has read what these ask for; should one fail all the same, the write is not
    // to fail for it.
    const std::string keptError = ctx.ErrorText;
    entry_.time = now_();
    entry_.platform = GetPlatform(ctx);
    entry_.version = NumberText(GetVersion(ctx));
    entry_.serial = SerialText(ctx);
    ctx.ErrorText = keptError;
}

// Sensors other than platform 5 keep their settings in EEPROM; a RAM byte written to them
// (the timeout counter reset before an unlock) is the link's, not a setting.
bool ServiceJournal::counts(bool eeprom) const {
    return eeprom || entry_.platform == kPlatform5;
}

bool ServiceJournal::beforeWrite(Context& ctx, bool eeprom, std::span<const uint8_t> selection) {
    if (!active_) return true;
    const ImageAsLastRead asRead(ctx);
    if (!identified_) {
        // What names the sensor, and what a backup of this memory needs, in one pass; should
        // it fail, the backup says so below and the history row is still written.
        const std::string keptError = ctx.ErrorText;
        std::vector<bool> wanted(selection.size());
        for (size_t a = 0; a < selection.size(); ++a) wanted[a] = selection[a] != 0;
        ReadWithIdentity(ctx, eeprom, wanted, true);
        ctx.ErrorText = keptError;
    }
    identify(ctx);
    const bool first = !writing_;
    writing_ = true;
    if (refused_) return false;
    bool grew = false;
    if (counts(eeprom)) {
        eepromWritten_ = eepromWritten_ || eeprom;
        const std::span<uint8_t> covered =
            eeprom ? std::span<uint8_t>(cover_.eeprom) : std::span<uint8_t>(cover_.ram);
        for (size_t a = 0; a < covered.size() && a < selection.size(); ++a) {
            if ((selection[a] & ~covered[a]) == 0) continue;
            covered[a] |= selection[a];
            grew = true;
        }
    }
    if (grew) return keepBackup(ctx);
    // A memory this sensor's settings files do not hold (the RAM of a platform-6 sensor)
    // has no backup to make, and nothing need be read for one.
    if (first && entry_.backup.empty())
        entry_.backup = "none: this sensor's settings files do not hold its " +
                        std::string(eeprom ? "EEPROM" : "RAM");
    return true;
}

// Writes the backup for what is covered so far, the first time under a new name, later over
// the same file: the file on disk always puts back everything the action has written.
bool ServiceJournal::keepBackup(Context& ctx) {
    if (!ReadForBackup(ctx, cover_)) {
        refused_ = true;
        entry_.backup = "none: the sensor could not be read";
        return failWith(ctx,
                        "Nothing was sent: what the sensor holds could not be read for a "
                        "backup.");
    }
    // What the sensor holds at bytes covered just now, before anything is written there.
    for (int a = 0; a < kBackupEepromBytes; ++a)
        if (cover_.eeprom[a] && !changes_.count({true, a})) cover_.eepromWas[a] = ctx.EeLast[a];
    for (int a = 0; a < kBackupRamBytes; ++a)
        if (cover_.ram[a] && !changes_.count({false, a})) cover_.ramWas[a] = ctx.RamLast[a];

    std::string why;
    const std::optional<Bytes> file = BackupSettingsFile(ctx, cover_, why);
    if (!file) {
        // A sensor whose settings no file can hold still gets its history line.
        entry_.backup = "none: " + why;
        return true;
    }
    std::string error;
    if (backup_.empty()) {
        const BackupResult saved = SaveBackup(ctx.AppDir, *file, entry_.serial, entry_.time);
        if (saved.path.empty()) {
            refused_ = true;
            entry_.backup = "none: " + saved.error;
            return failWith(
                ctx, "Nothing was sent: the backup could not be saved (" + saved.error + ").");
        }
        backup_ = saved.path;
        lastBackup_ = backup_;
        entry_.backup = std::filesystem::path(backup_).filename().string();
    } else if (!WriteFileAtomically(backup_, *file, error)) {
        // The backup on disk still puts back what was written so far; nothing beyond it goes.
        return failWith(ctx, "Stopped before the next write: the backup " + backup_ +
                                 " could not be extended (" + error + ").");
    }
    return true;
}

void ServiceJournal::bytesPlanned(bool eeprom, int count) {
    if (active_ && counts(eeprom)) planned_ += count;
}

void ServiceJournal::byteWritten(bool eeprom, int address, float before, float after) {
    if (!active_ || !counts(eeprom)) return;
    ++acknowledged_;
    auto [it, fresh] = changes_.try_emplace({eeprom, address}, Change{before, after});
    if (!fresh) it->second.after = after;
}

std::string ServiceJournal::wayBack() const {
    if (backup_.empty())
        return " No backup of this sensor's settings could be kept (" + entry_.backup + ").";
    const std::string file =
        std::string(kBackupFolder) + "/" + std::filesystem::path(backup_).filename().string();
    return " To put back what it held, send the backup " + file + ": kelvo-cli send-file " + file +
           ", or in the sensor's window load that file and send it.";
}

// A failure says what reached the sensor and the way back; a cancel before anything
// reached it stays silent, as a cancel always was.
void ServiceJournal::tellOutcome(Context& ctx, bool succeeded) {
    const bool cancelled = isCancelled(ctx);
    entry_.result = succeeded            ? "done"
                    : cancelled          ? "interrupted"
                    : acknowledged_ == 0 ? "refused"
                                         : "failed";
    if (succeeded) return;
    entry_.message = cancelled ? "cancelled" : ctx.ErrorText;
    const bool open = eepromWritten_ && ctx.EepromMayBeUnlocked;
    if (acknowledged_ == 0 && !open) return;

    std::string text = cancelled ? "Stopped part-way." : ctx.ErrorText;
    if (!text.empty() && text.back() != '.') text += '.';
    text += " " + std::to_string(acknowledged_) + " of " +
            std::to_string(std::max(planned_, acknowledged_)) +
            " bytes reached the sensor (the block after them may have reached it too).";
    if (open)
        text += " The EEPROM may still be unlocked: the sensor did not take the lock.";
    else if (eepromWritten_)
        text += " The EEPROM is locked.";
    // A procedure that put back what it changed leaves the sensor as it was.
    const bool putBack = std::all_of(changes_.begin(), changes_.end(), [](const auto& change) {
        return change.second.before == change.second.after;
    });
    if (acknowledged_ > 0)
        text += putBack ? " The sensor holds again what it held before." : wayBack();
    ctx.ErrorText = text;
    entry_.message = text;
}

void ServiceJournal::actionEnded(Context& ctx, bool succeeded) {
    if (!active_) return;
    // A failure outside a write (a read between the unlock and the write) still locks.
    if (!succeeded && ctx.EepromMayBeUnlocked) RelockAfterFailure(ctx);
    active_ = false;
    if (!writing_) return;
    tellOutcome(ctx, succeeded);
    entry_.bytesWritten = acknowledged_;
    for (const auto& [place, change] : changes_)
        if (change.before != change.after) ++entry_.bytesChanged;
    if (kind_ == Kind::Calibration) {
        entry_.before = wordsOf(changes_, [](const Change& c) { return c.before; });
        entry_.after = wordsOf(changes_, [](const Change& c) { return c.after; });
    }
    std::string error;
    if (!AppendHistory(ctx.AppDir, entry_, error))
        ctx.prompt.message("The service history could not be written: " + error);
}

}  // namespace kelvo
