#include "files/send_file.h"

#include "common/context.h"
#include "files/definition_file.h"
#include "files/settings_file.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"
#include "model/identification.h"

namespace kelvo {
namespace {

constexpr const char* kUnknownSensor = "Unknown sensor type, can't connect to sensor.";

constexpr int32_t kListAllRam = 8;
constexpr int32_t kListPlatform5Settings = 6;
constexpr int32_t kListAllEeprom = 30;

bool unknownSensor(Context& ctx) {
    // Identification's own "Unknown product" gives way to the message this dialog shows.
    if (ctx.ErrorText.empty() || ctx.ErrorText == "Unknown product") ctx.ErrorText = kUnknownSensor;
    return false;
}

}  // namespace

bool SendSettingsFile(Context& ctx, const std::string& path,
                      const std::function<void(const std::string&)>& progress) {
    auto report = [&](const std::string& step) {
        ctx.StatusText = step;
        if (progress) progress(step);
    };
    const uint8_t platform = GetPlatform(ctx);
    float highestVersion = -1;
    switch (platform) {
        case 5:
            if (!LoadDefinition(ctx)) return false;
            report("Reading sensor");
            if (!SensorMemRead(ctx, kListAllRam, 0, 0, false, false)) return false;
            highestVersion = 2;
            break;
        case 6:
        case 61:
            report("Reading sensor");
            if (!SensorMemRead(ctx, kListAllEeprom, 0, 0, true, false)) return false;
            highestVersion = platform == 6 ? 5 : 1;
            break;
        default:
            return unknownSensor(ctx);
    }
    const float version = GetVersion(ctx);
    if (!ctx.ErrorText.empty()) return false;
    if (version < 0 || version > highestVersion) return unknownSensor(ctx);

    const int32_t listNo = platform == 5 ? kListPlatform5Settings : 0;
    if (!LoadSettings(ctx, path, listNo)) return false;

    report("Saving to sensor");
    if (platform == 5) {
        return SensorMemWrite(ctx, kListPlatform5Settings, 0, 0, false, true, false, true, true,
                              true);
    }
    return SensorMemWrite(ctx, kListAllEeprom, 0, 0, true, true, false, true, true, false);
}

}  // namespace kelvo
