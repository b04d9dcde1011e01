// kelvo-cli identify: who the sensor is.

#include <iostream>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "common/context.h"
#include "common/values.h"
#include "model/identification.h"
#include "model/platform_profile.h"

namespace kelvo::cli {
namespace {

constexpr const char* kName = "identify";

int identify(const GlobalOptions& options, const std::vector<std::string>& args) {
    if (!args.empty()) return usageError(kName, "takes no arguments");
    Session session(options);
    Context& ctx = session.ctx();
    const uint8_t platform = GetPlatform(ctx);
    if (platform == 0) return session.fail(kUnknownSensorMessage);
    // The version and serial words in as few blocks as lie close, before the questions
    // below ask for them one by one.
    ReadWithIdentity(ctx, platform != kPlatform5, {}, false);
    const uint8_t protocol = GetProtocol(ctx);
    const float version = GetVersion(ctx);
    const uint8_t idByte = GetIdByte(ctx);
    const std::string serial = SerialText(ctx);
    if (!ctx.ErrorText.empty()) return session.fail();
    std::cout << "platform: " << int(platform) << "\n"
              << "protocol: " << int(protocol) << "\n"
              << "version: " << NumberText(version) << "\n"
              << "id-byte: " << int(idByte) << "\n"
              << "serial: " << serial << "\n";
    return kExitOk;
}

const RegisterCommand registered(
    {kName, "identify  platform, protocol, version, identification byte and serial number",
     identify});

}  // namespace
}  // namespace kelvo::cli
