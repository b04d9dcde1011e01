// kelvo-cli save-file FILE and send-file FILE: settings files to and from a sensor.

#include <iostream>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "files/send_file.h"
#include "files/settings_file.h"
#include "link/address_lists.h"
#include "link/sensor_mem_read.h"
#include "model/identification.h"

namespace kelvo::cli {
namespace {

constexpr const char* kUnknownSensor = "Unknown sensor type, can't connect to sensor.";

// The blocks each platform's window writes: platform 5 its RAM, platform 6 the mask of
// its version's settings list then the EEPROM, platform 61 the EEPROM then its mask.
bool saveLikeTheWindow(Context& ctx, const std::string& path) {
    const uint8_t platform = GetPlatform(ctx);
    if (platform == 5) {
        return SensorMemRead(ctx, 8, 0, 0, false, false) && SaveSettings(ctx, 1, path, 255, false);
    }
    if (platform == 6) {
        if (!SensorMemRead(ctx, 30, 0, 0, true, false)) return false;
        const float version = GetVersion(ctx);
        int32_t list = 0;
        if (version == 0 || version == 1 || version == 3 || version == 4) list = 13;
        if (version == 2) list = 15;
        if (list == 0) {
            if (ctx.ErrorText.empty()) ctx.ErrorText = "Cant save settings from this sensor";
            return false;
        }
        SelectAddressList(ctx, list);
        return SaveSettings(ctx, 15, path, 1, true) && SaveSettings(ctx, 10, path, 1, false);
    }
    if (platform == 61) {
        if (!SensorMemRead(ctx, 30, 0, 0, true, false)) return false;
        SelectAddressList(ctx, 12);
        return SaveSettings(ctx, 10, path, 1, false) && SaveSettings(ctx, 15, path, 1, true);
    }
    if (ctx.ErrorText.empty() || ctx.ErrorText == "Unknown product") ctx.ErrorText = kUnknownSensor;
    return false;
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
    const bool sent = SendSettingsFile(session.ctx(), args[0],
                                       [](const std::string& step) { std::cout << step << "\n"; });
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
