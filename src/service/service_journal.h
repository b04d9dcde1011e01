#pragma once
// The service record the program keeps in AppDir: before the first write of an action, a
// backup of the settings the sensor held; when the action ends, one history line saying
// what was sent. Actions that send nothing leave no trace.

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "common/service_recorder.h"
#include "service/history.h"

namespace kelvo {

class ServiceJournal : public ServiceRecorder {
public:
    using Now = std::function<std::chrono::system_clock::time_point()>;
    explicit ServiceJournal(Now now = [] { return std::chrono::system_clock::now(); });

    void actionStarted(Context& ctx, const std::string& action, Kind kind) override;
    void referenceTyped(const std::string& text) override;
    void actionEnded(Context& ctx) override;
    bool beforeWrite(Context& ctx) override;
    void byteWritten(bool eeprom, int address, float before, float after) override;

    // The backup the last action that sent left; empty when it left none.
    const std::string& lastBackup() const { return lastBackup_; }

private:
    struct Change {
        float before;
        float after;
    };

    Now now_;
    bool active_ = false;
    bool writing_ = false;
    bool refused_ = false;  // the backup could not be written, so nothing was sent
    Kind kind_ = Kind::Send;
    HistoryEntry entry_;
    std::map<std::pair<bool, int>, Change> changes_;  // (eeprom, address)
    std::string lastBackup_;
};

}  // namespace kelvo
