// kelvo-cli: the sensor link, model, files and calibrations from a terminal.

#include <QCoreApplication>
#include <QGuiApplication>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_command.h"

namespace kelvo::cli {

std::map<std::string, Command>& commandRegistry() {
    static std::map<std::string, Command> registry;
    return registry;
}

namespace {

void printUsage(std::ostream& out) {
    out << "usage: kelvo-cli [--port PORT] [--id N] [--log] COMMAND [ARGS]\n"
           "  --port PORT  a COM port number, a device path, or virtual:P[vV] (default 1)\n"
           "  --id N       talk to network sensor N instead of the single sensor\n"
           "  --log        append the communication log to ComLogg.txt here\n"
           "commands:\n";
    for (const auto& [name, command] : commandRegistry()) out << "  " << command.usage << "\n";
}

}  // namespace
}  // namespace kelvo::cli

int main(int argc, char** argv) {
    using namespace kelvo::cli;
    std::vector<std::string> args(argv + 1, argv + argc);
    GlobalOptions options;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            printUsage(std::cout);
            return kExitOk;
        } else if (arg == "--port" && i + 1 < args.size()) {
            options.port = args[++i];
        } else if (arg == "--id" && i + 1 < args.size()) {
            const std::string& text = args[++i];
            // The request-to-send byte is 224 + ID: IDs above 31 cannot be addressed.
            const auto id = parseWhole(text, 0, 29);
            if (!id) {
                std::cerr << "kelvo-cli: --id must be a network ID from 0 to 29, not '" << text
                          << "'\n";
                return kExitUsage;
            }
            options.id = static_cast<int>(*id);
        } else if (arg == "--log") {
            options.log = true;
        } else {
            break;
        }
    }
    if (i >= args.size()) {
        printUsage(std::cerr);
        return kExitUsage;
    }
    auto found = commandRegistry().find(args[i]);
    if (found == commandRegistry().end()) {
        std::cerr << "kelvo-cli: unknown command '" << args[i] << "'\n";
        printUsage(std::cerr);
        return kExitUsage;
    }
    std::unique_ptr<QCoreApplication> app;
    if (found->second.gui) {
        // A terminal, a build machine or a service has no screen to draw on.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return found->second.run(options, std::vector<std::string>(args.begin() + i + 1, args.end()));
}
