#include "service/bus_scan.h"

#include "common/context.h"
#include "common/values.h"
#include "link/line_attempts.h"
#include "link/sensor_link.h"
#include "model/identification.h"

namespace kelvo {
namespace {

// A clear-to-send lost to noise, or one that comes after the answer time, should not hide a
// sensor: an ID that gives no clear-to-send is asked again. Asking a silent ID once would
// nearly halve the scan, but a late sensor would go unfound and its late answer be taken
// for the next ID's.
constexpr int kHandshakeTries = 2;

FoundSensor identify(Context& ctx, int id) {
    FoundSensor sensor;
    sensor.id = id;
    SensorLinkInit(ctx, static_cast<uint8_t>(id));
    sensor.platform = GetPlatform(ctx);
    if (sensor.platform != 0) {
        sensor.version = NumberText(GetVersion(ctx));
        sensor.serial = SerialText(ctx);
    }
    if (!isCancelled(ctx)) {
        sensor.error = ctx.ErrorText;
        ctx.ErrorText.clear();
    }
    return sensor;
}

}  // namespace

bool SensorAnswers(Context& ctx) {
    for (int i = 0; i < kHandshakeTries; ++i) {
        if (link::answersHandshake(ctx)) return true;
        if (!ctx.ErrorText.empty()) return false;
    }
    return false;
}

bool ScanNetwork(Context& ctx, std::vector<FoundSensor>& found,
                 const std::function<bool(int id)>& progress) {
    const float keptAddress = ctx.SensorAddress;
    found.clear();
    bool ok = true;
    if (!ctx.port.isOpen() && !ctx.port.open()) {
        ok = failWith(ctx, "Can't open the port: " + ctx.port.errorString());
    }
    for (int id = kFirstNetworkId; ok && id <= kLastNetworkId; ++id) {
        if ((progress && !progress(id)) || !ctx.ErrorText.empty()) break;
        ctx.SensorAddress = static_cast<float>(id);
        if (!SensorAnswers(ctx)) continue;
        FoundSensor sensor = identify(ctx, id);
        if (isCancelled(ctx)) break;  // half identified is not found
        found.push_back(std::move(sensor));
        // Identification closes the port after its reads.
        if (!ctx.port.isOpen() && !ctx.port.open()) ok = failWith(ctx, "Can't open the port");
    }
    ctx.port.close();
    SensorLinkInit(ctx, static_cast<uint8_t>(kSingleSensorAddress));
    ctx.SensorAddress = keptAddress;
    return ok;
}

std::string FoundSensorLine(const FoundSensor& s) {
    std::string line = "ID " + std::to_string(s.id) + ": ";
    if (s.platform == 0)
        return line + "unknown sensor" + (s.error.empty() ? "" : " (" + s.error + ")");
    return line + "platform " + std::to_string(s.platform) + ", version " + s.version +
           ", serial " + s.serial;
}

}  // namespace kelvo
