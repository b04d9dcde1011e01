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
    enum class Kind { Send, Calibration };

    virtual ~ServiceRecorder() = default;
    virtual void actionStarted(Context& ctx, const std::string& action, Kind kind) = 0;
    // The reference value the user typed for a calibration.
    virtual void referenceTyped(const std::string& text) = 0;
    virtual void actionEnded(Context& ctx, bool succeeded) = 0;
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
