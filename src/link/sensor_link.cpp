#include "link/sensor_link.h"

#include <algorithm>
#include <cmath>

#include "common/context.h"
#include "link/link_waits.h"

namespace kelvo {
namespace {
// A day is more than any caller means; the bound keeps a wild value from overflowing.
constexpr float kLongestListen = 86400;
}  // namespace

void SensorLinkInit(Context& ctx, uint8_t SensorId) {
    ctx.SensorAddress = SensorId;
    for (int a = 0; a <= 511; ++a) {
        ctx.EeImage[a] = 0;
        ctx.EeLast[a] = 0;
        ctx.EeRead[a] = false;
        ctx.AddressMask[a] = 0;
    }
    for (int a = 0; a <= 255; ++a) {
        ctx.RamImage[a] = 0;
        ctx.RamLast[a] = 0;
        ctx.RamRead[a] = false;
    }
    ctx.ComBuffer.fill(0);
}

bool CheckPortFree(Context& ctx, float Seconds) {
    auto closeAndFail = [&ctx](const std::string& message) {
        if (ctx.port.isOpen()) ctx.port.close();
        return failWith(ctx, message);
    };
    if (!ctx.port.open()) {
        // Every refusal reads as a busy port; the system's reason on the next line tells a
        // mistyped name or a missing permission from a port another program holds.
        const std::string reason = ctx.port.errorString();
        const std::string locked = "This port is locked by other devise";
        return closeAndFail(reason.empty() ? locked : locked + "\n" + reason);
    }
    ctx.port.readAll();
    // Measured on the monotonic tick, so passing midnight neither ends nor stretches it.
    const float seconds = Seconds > 0 ? std::min(Seconds, kLongestListen) : 0.0f;
    const link::Ms listen{std::lround(seconds * 1000.0)};
    link::Stopwatch since(ctx.clock);
    if (link::waitForBytes(ctx, 1, since, listen))
        return closeAndFail("Central unit must be set to slave mode or be disconnected.");
    ctx.port.close();
    return true;
}

}  // namespace kelvo
