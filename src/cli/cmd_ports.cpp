// kelvo-cli ports: the serial ports found here, then the built-in virtual sensors.

#include <iostream>

#include "cli/cli_command.h"
#include "qt/port_list.h"

namespace kelvo::cli {
namespace {

int listPorts(const GlobalOptions&, const std::vector<std::string>& args) {
    if (!args.empty()) {
        std::cerr << "kelvo-cli: ports takes no arguments\n";
        return kExitUsage;
    }
    for (const qt::PortChoice& port : qt::availablePorts())
        std::cout << port.name << "\t" << port.description
                  << (port.problem.empty() ? "" : "\tcannot be opened: " + port.problem) << "\n";
    return kExitOk;
}

const RegisterCommand registered({"ports", "ports  list the serial ports and virtual sensors",
                                  listPorts});

}  // namespace
}  // namespace kelvo::cli
