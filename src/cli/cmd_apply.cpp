// kelvo-cli apply FILE --ids LIST: one settings file sent to several sensors of a network,
// one result line per sensor.

#include <filesystem>
#include <iostream>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "service/network_send.h"

namespace kelvo::cli {
namespace {

constexpr const char* kName = "apply";

int apply(const GlobalOptions& options, const std::vector<std::string>& args) {
    const ParsedArgs parsed = parseArgs(args, {"--force"}, {"--ids"});
    if (!parsed.error.empty()) return usageError(kName, parsed.error);
    if (parsed.positional.size() != 1 || parsed.positional[0].empty())
        return usageError(kName, "takes one settings file");
    if (!parsed.values.count("--ids"))
        return usageError(kName, "needs the sensors' network IDs, e.g. --ids 1,3-4");
    // The sensors are named by --ids; a --id before the command would say another thing.
    if (options.id >= 0) return usageError(kName, "names its sensors with --ids, not --id");
    std::string problem;
    const auto ids = ParseNetworkIds(parsed.values.at("--ids"), problem);
    if (!ids) return usageError(kName, "--ids: " + problem);
    const std::string& path = parsed.positional[0];
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        std::cerr << "File not found " << path << "\n";
        return kExitFailed;
    }

    Session session(options, parsed.flags.count("--force") > 0);
    bool allVerified = true;
    NetworkSendHooks hooks;
    hooks.done = [&](const NetworkSendResult& result) {
        allVerified = allVerified && result.outcome == NetworkSendResult::Outcome::Verified;
        std::cout << NetworkSendLine(result) << std::endl;
    };
    SendFileToNetwork(session.ctx(), path, *ids, hooks);
    return allVerified ? kExitOk : kExitFailed;
}

const RegisterCommand registered(
    {kName,
     "apply FILE --ids LIST [--force]  send a settings file to the network sensors of the "
     "list (1,3-4), each backed up first and read back after; one line per sensor",
     apply});

}  // namespace
}  // namespace kelvo::cli
