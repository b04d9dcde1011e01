// kelvo-cli command: one of the sensor's six commands.

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "common/context.h"
#include "link/sensor_command.h"

namespace kelvo::cli {
namespace {

constexpr const char* kName = "command";

int runCommand(const GlobalOptions& options, const std::vector<std::string>& args) {
    if (args.size() != 1) return usageError(kName, "give one command number from 0 to 5");
    const auto number = parseWhole(args[0], kSaveToRam, kTwaReset);
    if (!number)
        return usageError(
            kName, "the command number is a whole number from 0 to 5, not '" + args[0] + "'");
    Session session(options);
    if (!SensorCommand(session.ctx(), static_cast<int32_t>(*number), false))
        return session.fail("Command failed");
    return kExitOk;
}

const RegisterCommand registered(
    {kName,
     "command N  send command N: 0 save to RAM, 1 save to EEPROM, 2 lock, 3 unlock, "
     "4 save ID, 5 TWA reset",
     runCommand});

}  // namespace
}  // namespace kelvo::cli
