// kelvo-cli save-file FILE and send-file FILE: settings files to and from a sensor.

#include <iostream>

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
    const PlatformProfile* profile = FindPlatform(platform);
    if (!profile || profile->saveBlocks.empty()) return FailUnknownSensor(ctx);
    return ReadSpans(ctx, WholeImageReads(platform)) && SavePlatformSettings(ctx, path);
}

int saveFile(const GlobalOptions& options, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::cerr << "kelvo-cli: save-file takes one file name\n";
        return kExitUsage;
    }
    Session session(options);
    if (!saveLikeTheWindow(session.ctx(), args[0])) return session.fail("Can't save settings.");
    std::cout << "Saved " << SettingsFileName(args[0]) << "\n";
    return kExitOk;
}

int sendFile(const GlobalOptions& options, const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].find_first_not_of(" \t") == std::string::npos) {
        std::cerr << "Please enter file name in the textbox.\n";
        return kExitUsage;
    }
    Session session(options);
    bool sent = false;
    {
        // The action ends (and is recorded, and says what reached the sensor) before its
        // result is printed.
        RecordedAction action(session.ctx(), "kelvo-cli send-file " + args[0]);
        sent = action.finish(SendSettingsFile(session.ctx(), args[0], [](const std::string& step) {
            std::cout << step << std::endl;
        }));
    }
    if (!sent) return session.fail("Sending to sensor failed");
    std::cout << "Sent " << args[0] << "\n";
    return kExitOk;
}

const RegisterCommand saveRegistered(
    {"save-file", "save-file FILE  save the sensor's settings file as its window does", saveFile});
const RegisterCommand sendRegistered({"send-file",
                                      "send-file FILE  write a settings file into the sensor",
                                      sendFile});

}  // namespace
}  // namespace kelvo::cli
