#include "service/service_journal.h"

#include <filesystem>

#include "common/context.h"
#include "common/id_byte.h"
#include "common/values.h"
#include "model/identification.h"
#include "service/backup.h"

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

}  // namespace

ServiceJournal::ServiceJournal(Now now) : now_(std::move(now)) {}

void ServiceJournal::actionStarted(Context&, const std::string& action, Kind kind) {
    active_ = true;
    writing_ = false;
    refused_ = false;
    kind_ = kind;
    entry_ = HistoryEntry{};
    entry_.action = action;
    changes_.clear();
}

void ServiceJournal::referenceTyped(const std::string& text) {
    entry_.reference = text;
}

bool ServiceJournal::beforeWrite(Context& ctx) {
    if (!active_ || writing_) return true;
    writing_ = true;
    // Every send path has identified the sensor before it writes, so these cost no traffic;
    // should one fail all the same, the write is not to fail for it.
    const std::string keptError = ctx.ErrorText;
    entry_.time = now_();
    entry_.platform = GetPlatform(ctx);
    entry_.version = NumberText(GetVersion(ctx));
    entry_.serial = SerialText(ctx);
    ctx.ErrorText = keptError;
    const BackupResult backup = SaveBackup(ctx, entry_.serial, entry_.time);
    lastBackup_ = backup.path;
    if (!backup.path.empty()) {
        entry_.backup = std::filesystem::path(backup.path).filename().string();
        return true;
    }
    entry_.backup = "none: " + backup.error;
    // A backup that could be made but not written stops the send: the settings it would
    // replace would be lost for good.
    refused_ = backup.writeFailed;
    if (refused_)
        return failWith(ctx,
                        "Nothing was sent: the backup could not be saved (" + backup.error + ").");
    return true;
}

void ServiceJournal::byteWritten(bool eeprom, int address, float before, float after) {
    // Sensors other than platform 5 keep their settings in EEPROM; a RAM byte written to
    // them (the timeout counter reset before an unlock) is the link's, not a setting.
    if (!active_ || (!eeprom && entry_.platform != kPlatform5)) return;
    auto [it, fresh] = changes_.try_emplace({eeprom, address}, Change{before, after});
    if (!fresh) it->second.after = after;
}

void ServiceJournal::actionEnded(Context& ctx) {
    if (!active_) return;
    active_ = false;
    if (!writing_ || refused_) return;
    entry_.bytesWritten = static_cast<int>(changes_.size());
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
