#include "files/send_file.h"

#include "common/context.h"
#include "files/definition_file.h"
#include "files/settings_file.h"
#include "model/identification.h"
#include "model/platform_plans.h"

namespace kelvo {
namespace {

constexpr const char* kUnknownSensor = "Unknown sensor type, can't connect to sensor.";

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
            highestVersion = 2;
            break;
        case 6:
            highestVersion = 5;
            break;
        case 61:
            highestVersion = 1;
            break;
        default:
            return unknownSensor(ctx);
    }
    report("Reading sensor");
    if (!ReadSpans(ctx, WholeImageReads(platform))) return false;
    const float version = GetVersion(ctx);
    if (!ctx.ErrorText.empty()) return false;
    if (version < 0 || version > highestVersion) return unknownSensor(ctx);

    const int32_t listNo = platform == 5 ? kListPlatform5Settings : 0;
    if (!LoadSettings(ctx, path, listNo)) return false;

    report("Saving to sensor");
    return RunWriteSteps(ctx, SettingsSendSteps(platform));
}

}  // namespace kelvo
