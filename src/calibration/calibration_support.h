#pragma once
// Small pieces the calibration procedures share: channel resolution, the port rule, waits
// that yield, and words in the image.

#include <cstdint>
#include <string>

#include "common/context.h"
#include "link/memory_request.h"
#include "link/port_hold.h"
#include "model/platform_profile.h"

namespace kelvo::calibration {

// Shown when the sensor's readings would make the arithmetic divide by zero or take the
// logarithm of a non-positive number: nothing is computed or written then.
inline constexpr const char* kNoCalibration =
    "Calibration not possible with the sensor's present readings.";

// Platform 7 keeps its calibration words apart from the channel routines.
inline constexpr int kRamPlatform7Ratio = 40;  // RAM 40-41: present detector ratio
inline constexpr int kEePlatform7Zero = 14;    // EEPROM 14-15: zero word
inline constexpr int kEePlatform7TempTable = 512;  // EEPROM 512-545: temperature table

// A calibration's write: unlocked, locked, and sent whether or not the bytes changed, since
// the sensor must hold exactly what was computed.
inline WriteRequest calibrationWrite(MemorySpan span, bool commit = false, bool keepOpen = false) {
    return {span, commit, keepOpen, true, true, true};
}

// Closes the port when the procedure ends, unless the caller keeps it open.
class PortRule {
public:
    PortRule(Context& ctx, bool keepOpen) : ctx_(ctx), keepOpen_(keepOpen) {}
    ~PortRule() {
        if (!keepOpen_ && ctx_.port.isOpen()) releasePort(ctx_);
    }
    PortRule(const PortRule&) = delete;
    PortRule& operator=(const PortRule&) = delete;

private:
    Context& ctx_;
    bool keepOpen_;
};

// Idle until the deadline (or for ms) on the clock; false when the user cancelled meanwhile.
inline bool waitYieldingUntil(Context& ctx, int64_t deadline) {
    while (ctx.clock.tickMs() < deadline) {
        ctx.events.idle(deadline);
        if (isCancelled(ctx)) return false;
    }
    return true;
}
inline bool waitYielding(Context& ctx, int64_t ms) {
    return waitYieldingUntil(ctx, ctx.clock.tickMs() + ms);
}

inline int imageByte(float value) {
    return static_cast<int>(value) & 0xFF;
}
inline double ramWord(const Context& ctx, int at) {
    return imageByte(ctx.RamImage[at]) * 256.0 + imageByte(ctx.RamImage[at + 1]);
}
inline double eeWord(const Context& ctx, int at) {
    return imageByte(ctx.EeImage[at]) * 256.0 + imageByte(ctx.EeImage[at + 1]);
}
void storeEeWord(Context& ctx, int at, double value);

// The scaled detector ratio (0..61440) at which a channel's table gives the value x (a
// channel value such as ppm + 5000): the inverse of the sensor's own lookup, which turns
// the ratio it measures into the value it reports.
double expectedRatio(Context& ctx, int table, double x);

uint8_t CO2ChannelOf(Context& ctx, float selector, uint8_t platform);
uint8_t TempChannelOf(Context& ctx, float selector, uint8_t platform);

}  // namespace kelvo::calibration
