// kelvo-cli scan: the sensors on a network, one line each.

#include <iostream>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "service/bus_scan.h"

namespace kelvo::cli {
namespace {

constexpr const char* kName = "scan";

int scan(const GlobalOptions& options, const std::vector<std::string>& args) {
    if (!args.empty()) return usageError(kName, "takes no arguments");
    Session session(options);
    std::vector<FoundSensor> found;
    if (!ScanNetwork(session.ctx(), found)) return session.fail("Scan failed");
    for (const FoundSensor& sensor : found) std::cout << FoundSensorLine(sensor) << "\n";
    std::cout << found.size() << (found.size() == 1 ? " sensor" : " sensors") << " found on IDs "
              << kFirstNetworkId << " to " << kLastNetworkId << "\n";
    return kExitOk;
}

const RegisterCommand registered({kName, "scan  list the sensors answering network IDs 0 to 29",
                                  scan});

}  // namespace
}  // namespace kelvo::cli
