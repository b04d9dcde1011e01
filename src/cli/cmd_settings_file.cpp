// kelvo-cli save-file FILE and send-file FILE: settings files to and from a sensor.

#include <iostream>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "files/platform_settings_file.h"
#include "files/send_file.h"
#include "files/settings_file.h"
#include "model/identification.h"
#include "model/platform_profile.h"

namespace kelvo::cli {
namespace {

// A fresh copy of the sensor's settings, saved as its window saves them.
bool saveLikeTheWindow(Context& ctx, const std::string& path) {
    const uint8_t platform = GetPlatform(ctx);
    if (!FindPlatform(platform)) return FailUnknownSensor(ctx);
    const PlatformProfile* profile = FindProfile(platform, GetVersion(ctx));
    if (!profile || profile->saveBlocks.empty())
        return failWith(ctx, "Cant save settings from this sensor");
    if (!ReadSpans(ctx, WholeImageReads(platform))) return false;
    if (SavePlatformSettings(ctx, path)) return true;
    // The file system's reason alone does not say which file it was about.
    std::string reason = ctx.ErrorText;
    while (!reason.empty() && (reason.back() == ' ' || reason.back() == ',')) reason.pop_back();
    ctx.ErrorText =
        "Can't save settings to " + SettingsFileName(path) + (reason.empty() ? "." : ": " + reason);
    return false;
}

// A name whose last part is empty would be saved as a hidden ".Set" beside it.
bool namesAFile(const std::string& path) {
    const size_t start = path.find_last_of("/\\");
    const std::string name = start == std::string::npos ? path : path.substr(start + 1);
    return name.find_first_not_of(" \t") != std::string::npos;
}

int saveFile(const GlobalOptions& options, const std::vector<std::string>& args) {
    if (args.size() != 1 || !namesAFile(args[0])) {
        std::cerr << "kelvo-cli: save-file takes one file name\n";
        return kExitUsage;
    }
    Session session(options);
    if (!saveLikeTheWindow(session.ctx(), args[0])) return session.fail("Can't save settings.");
    std::cout << "Saved " << SettingsFileName(args[0]) << "\n";
    return kExitOk;
}

int sendFile(const GlobalOptions& options, const std::vector<std::string>& args) {
    const ParsedArgs parsed = parseArgs(args, {"--force"}, {});
    if (!parsed.error.empty()) return usageError("send-file", parsed.error);
    if (parsed.positional.size() != 1 ||
        parsed.positional[0].find_first_not_of(" \t") == std::string::npos) {
        std::cerr << "Please enter file name in the textbox.\n";
        return kExitUsage;
    }
    const std::string& path = parsed.positional[0];
    Session session(options, parsed.flags.count("--force") > 0);
    bool sent = false;
    {
        // The action ends (and is recorded, and says what reached the sensor) before its
        // result is printed.
        RecordedAction action(session.ctx(), "kelvo-cli send-file " + path);
        sent = action.finish(SendSettingsFile(
            session.ctx(), path, [](const std::string& step) { std::cout << step << std::endl; }));
    }
    if (!sent) return session.fail("Sending to sensor failed");
    std::cout << "Sent " << path << "\n";
    return kExitOk;
}

const RegisterCommand saveRegistered(
    {"save-file", "save-file FILE  save the sensor's settings file as its window does", saveFile});
const RegisterCommand sendRegistered({"send-file",
                                      "send-file FILE [--force]  write a settings file into the "
                                      "sensor (--force: also one that changes its identity)",
                                      sendFile});

}  // namespace
}  // namespace kelvo::cli
