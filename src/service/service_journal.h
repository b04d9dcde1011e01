#pragma once
// The service record the program keeps in AppDir: before the first write of an action, a
// backup of what the sensor held wherever the action may write; when the action ends, one
// history line saying what was sent and how it ended. Actions that send nothing leave no
// trace.

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "common/service_recorder.h"
#include "service/backup.h"
#include "service/history.h"

namespace kelvo {

class ServiceJournal : public ServiceRecorder {
public:
    using Now = std::function<std::chrono::system_clock::time_point()>;
    explicit ServiceJournal(Now now = [] { return std::chrono::system_clock::now(); });

    void actionStarted(Context& ctx, const std::string& action, Kind kind) override;
    void referenceTyped(const std::string& text) override;
    // A failed action locks the EEPROM again where it may be open, and its message says
    // what reached the sensor and which backup puts it back.
    void actionEnded(Context& ctx, bool succeeded) override;
    void noted(Note what, const std::string& text) override;
    void keepRecord() override;
    bool beforeWrite(Context& ctx, bool eeprom, std::span<const uint8_t> selection) override;
    void bytesPlanned(bool eeprom, int count) override;
    void byteWritten(bool eeprom, int address, float before, float after) override;

    // The backup the last action that sent left; empty when it left none.
    const std::string& lastBackup() const { return lastBackup_; }

private:
    struct Change {
        float before;
        float after;
    };

    void identify(Context& ctx);
    bool counts(bool eeprom) const;
    bool keepBackup(Context& ctx);
    std::string wayBack() const;
    void tellOutcome(Context& ctx, bool succeeded);

    Now now_;
    bool active_ = false;
    bool writing_ = false;
    bool identified_ = false;
    bool refused_ = false;  // the backup could not be written, so nothing was sent
    bool keep_ = false;     // recorded even when nothing is sent
    bool eepromWritten_ = false;
    Kind kind_ = Kind::Send;
    HistoryEntry entry_;
    std::map<std::pair<bool, int>, Change> changes_;  // (eeprom, address)
    BackupCoverage cover_;
    std::string backup_;  // this action's backup, empty while it has none
    std::string lastBackup_;
    int planned_ = 0;
    int acknowledged_ = 0;
};

}  // namespace kelvo
