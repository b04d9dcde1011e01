#include "files/send_file.h"

#include "common/context.h"
#include "files/definition_file.h"
#include "files/settings_file.h"
#include "model/identification.h"
#include "model/platform_profile.h"

namespace kelvo {
bool SendSettingsFile(Context& ctx, const std::string& path,
                      const std::function<void(const std::string&)>& progress) {
    auto report = [&](const std::string& step) {
        ctx.StatusText = step;
        if (progress) progress(step);
    };
    const uint8_t platform = GetPlatform(ctx);
    const PlatformProfile* sensor = FindPlatform(platform);
    if (!sensor || sensor->saveBlocks.empty()) return FailUnknownSensor(ctx);
    if (sensor->definitionFile && !LoadDefinition(ctx)) return false;
    report("Reading sensor");
    if (!ReadSpans(ctx, WholeImageReads(platform))) return false;
    const float version = GetVersion(ctx);
    if (!ctx.ErrorText.empty()) return false;
    const PlatformProfile* profile = FindProfile(platform, version);
    if (!profile || !profile->sendFileAccepted) return FailUnknownSensor(ctx);

    if (!LoadSettings(ctx, path, profile->loadList)) return false;

    report("Saving to sensor");
    return SendSettings(ctx, profile->send);
}

}  // namespace kelvo
