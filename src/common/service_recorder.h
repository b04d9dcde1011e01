#pragma once
// What actions send to a sensor, told to whoever keeps the service record (backups of the
// settings a send replaces, the service history). The program installs one in its Context;
// without one, sending is all there is.

#include <cstdint>
#include <span>
#include <string>

namespace kelvo {

struct Context;

class ServiceRecorder {
public:
    // A check reads a channel against a reference and writes nothing; it is recorded all
    // the same, since the technician hands its result to the customer.
    enum class Kind { Send, Calibration, Check };
    // What a calibration or a check found on its channel, each as the technician reads it
    // (a number and its unit: "471 ppm", "20.9 %").
    enum class Note {
        Quantity,   // "CO2", "Temperature", "O2"
        Reference,  // the value aimed at, in the channel's unit
        AsFound,    // the reading before anything was sent
        AsLeft,     // the reading once the sensor measured through what was sent
        Stability,  // spread and drift of the recent readings, where a window has them
    };

    virtual ~ServiceRecorder() = default;
    virtual void actionStarted(Context& ctx, const std::string& action, Kind kind) = 0;
    // The reference value the user typed for a calibration.
    virtual void referenceTyped(const std::string& text) = 0;
    virtual void actionEnded(Context& ctx, bool succeeded) = 0;
    virtual void noted(Note, const std::string&) {}
    // The action is recorded even though it sends nothing: a calibration refused before
    // it began is worth a line as much as one that failed.
    virtual void keepRecord() {}
    // Told by every write before anything goes out, with the bytes of one memory it may
    // send (a mask per address), so the record can keep what the sensor holds there first
    // and needs no traffic of its own afterwards. False stops the write before it starts
    // (what it would replace could not be kept), with the reason in ErrorText.
    virtual bool beforeWrite(Context& ctx, bool eeprom, std::span<const uint8_t> selection) = 0;
    // How many data bytes the write's frames carry, told before the first frame goes out.
    virtual void bytesPlanned(bool eeprom, int count) = 0;
    // before: what the image last knew the sensor to hold there.
    virtual void byteWritten(bool eeprom, int address, float before, float after) = 0;
};

}  // namespace kelvo
