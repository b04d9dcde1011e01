// kelvo-cli scan: the sensors on a network, one line each, or with --csv the network
// overview's columns.

#include <iostream>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "service/bus_scan.h"
#include "service/network_overview.h"

namespace kelvo::cli {
namespace {

constexpr const char* kName = "scan";

int scan(const GlobalOptions& options, const std::vector<std::string>& args) {
    const ParsedArgs parsed = parseArgs(args, {"--csv"}, {});
    if (!parsed.error.empty()) return usageError(kName, parsed.error);
    if (!parsed.positional.empty()) return usageError(kName, "takes only --csv");
    Session session(options);
    std::vector<FoundSensor> found;
    if (!ScanNetwork(session.ctx(), found)) return session.fail("Scan failed");
    if (parsed.flags.count("--csv")) {
        // Each sensor's values read once, as the overview's first round reads them.
        std::vector<OverviewRow> rows;
        OverviewPoller poller;
        for (const FoundSensor& sensor : found) {
            rows.push_back(OverviewRowOf(sensor));
            poller.poll(session.ctx(), rows.back());
            if (isCancelled(session.ctx())) return session.fail();
        }
        std::cout << OverviewCsv("Network overview of port " + options.port, rows);
        return kExitOk;
    }
    for (const FoundSensor& sensor : found) std::cout << FoundSensorLine(sensor) << "\n";
    std::cout << found.size() << (found.size() == 1 ? " sensor" : " sensors") << " found on IDs "
              << kFirstNetworkId << " to " << kLastNetworkId << "\n";
    return kExitOk;
}

const RegisterCommand registered(
    {kName,
     "scan [--csv]  list the sensors answering network IDs 0 to 29 (--csv: the network "
     "overview's columns, values read once)",
     scan});

}  // namespace
}  // namespace kelvo::cli
