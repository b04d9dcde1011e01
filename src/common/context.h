#pragma once
// The state that the modules share, in one place the application owns and passes
// by reference. A test builds its own.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "common/platform.h"
#include "common/product_definition.h"
#include "common/service_recorder.h"

namespace kelvo {

constexpr int kEeImageSize = 1027;  // EEPROM addresses 0..1026
constexpr int kRamImageSize = 258;  // RAM addresses 0..257
constexpr int kAddressMaskSize = 1027;
constexpr int kComBufferSize = 551;
constexpr float kSingleSensorAddress = 30;
// The IDs a sensor on a network takes; the one past them is the single sensor's address.
constexpr int kFirstNetworkId = 0;
constexpr int kLastNetworkId = 29;

// What ErrorText holds when the user cancelled: it stops every running transaction and is
// never shown.
inline constexpr const char* kCancelMarker = "Avbryt";
// Shared by start-up, "Send file to sensor", the windows and the command line.
inline constexpr const char* kUnknownSensorMessage =
    "Unknown sensor type, can't connect to sensor.";

struct Context {
    Context(SerialPort& serialPort, Clock& systemClock, EventPump& eventPump, Prompter& prompter)
        : port(serialPort), clock(systemClock), events(eventPump), prompt(prompter) {}
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // The sensor image: one element per memory address, values 0..255 held as float so
    // that a bad value (256, 12.5) can be represented and refused by the write.
    std::array<float, kEeImageSize> EeImage{};
    std::array<bool, kEeImageSize> EeRead{};
    std::array<float, kEeImageSize> EeLast{};
    std::array<float, kRamImageSize> RamImage{};
    std::array<bool, kRamImageSize> RamRead{};
    std::array<float, kRamImageSize> RamLast{};

    // 0 = not selected, 255 = whole byte, other values = only those bits.
    std::array<uint8_t, kAddressMaskSize> AddressMask{};
    // The settings-file reader's buffer.
    std::array<uint8_t, kComBufferSize> ComBuffer{};

    std::string ErrorText;   // first error wins; kCancelMarker = cancelled by the user
    std::string StatusText;  // step in progress, shown by the progress dialog
    uint8_t ProgressPercent = 0;
    float SensorAddress = kSingleSensorAddress;
    bool ComLogEnabled = false;
    std::string AppDir;  // working directory at start-up; every named file lies there
    int16_t PendingAction = 0;
    // Data bytes the sensor has acknowledged since a caller last set it to 0, so a window
    // can say what a send did.
    int BytesWritten = 0;
    // An unlock command went out and no lock has been acknowledged since: a failed action
    // locks the EEPROM again before it ends, whichever step unlocked it.
    bool EepromMayBeUnlocked = false;
    // RAM bytes a loaded backup puts back beyond the settings a send carries (platform-5
    // calibration words): the next send writes them too.
    std::array<bool, kRamImageSize> RamToRestore{};
    // Actions holding the port open across their transactions (link/port_hold.h), and
    // while one does, when the last exchange ended on the tick (ns; -1 = none yet): the
    // pause before the next attempt is counted from there.
    int PortHolds = 0;
    int64_t LineQuietSinceNs = -1;

    // Module data kept between calls by the routines that own it.
    ProductDefinition Definition;  // production definition loaded last
    // Loads the production definition of the sensor in the image into Definition. The
    // sensor model asks it when it needs the definition of another sensor than the one
    // loaded; whoever owns the Context hands it in (the definition files, in practice).
    std::function<bool(Context&)> loadDefinition;
    std::array<uint8_t, 512> LastMaskBlock{};  // mask bytes of the last type-15 block read
    // Keeps backups and the service history of what is sent; nullptr for none.
    ServiceRecorder* serviceRecorder = nullptr;

    SerialPort& port;
    Clock& clock;
    EventPump& events;
    Prompter& prompt;
};

// The first error wins: a routine's message is kept only when ErrorText is still empty.
// Returns false, so a failing routine can end with `return failWith(ctx, "...");`.
inline bool failWith(Context& ctx, const std::string& text) {
    if (ctx.ErrorText.empty()) ctx.ErrorText = text;
    return false;
}

// One action that may send to the sensor, for the service record: started here, ended
// when the scope is left.
class RecordedAction {
public:
    RecordedAction(Context& ctx, const std::string& action,
                   ServiceRecorder::Kind kind = ServiceRecorder::Kind::Send)
        : ctx_(ctx) {
        if (ctx_.serviceRecorder) ctx_.serviceRecorder->actionStarted(ctx_, action, kind);
    }
    // Where the caller has no result to give, an empty ErrorText is success.
    ~RecordedAction() { finish(ctx_.ErrorText.empty()); }
    // Ends the action now with its result; the record (and ErrorText, on failure) then says
    // how it ended. Returns ok.
    bool finish(bool ok) {
        if (!finished_ && ctx_.serviceRecorder) ctx_.serviceRecorder->actionEnded(ctx_, ok);
        finished_ = true;
        return ok;
    }
    RecordedAction(const RecordedAction&) = delete;
    RecordedAction& operator=(const RecordedAction&) = delete;
    void referenceTyped(const std::string& text) {
        if (ctx_.serviceRecorder) ctx_.serviceRecorder->referenceTyped(text);
    }
    void note(ServiceRecorder::Note what, const std::string& text) {
        if (ctx_.serviceRecorder) ctx_.serviceRecorder->noted(what, text);
    }
    void keepRecord() {
        if (ctx_.serviceRecorder) ctx_.serviceRecorder->keepRecord();
    }

private:
    Context& ctx_;
    bool finished_ = false;
};

// The user cancelled what is running.
inline bool isCancelled(const Context& ctx) {
    return ctx.ErrorText == kCancelMarker;
}
// Marks the running operation as cancelled by the user (never shown).
inline void cancel(Context& ctx) {
    ctx.ErrorText = kCancelMarker;
}
// A failure worth a message box: not empty and not the cancel marker.
inline bool hasErrorToShow(const Context& ctx) {
    return !ctx.ErrorText.empty() && !isCancelled(ctx);
}

}  // namespace kelvo
