// kelvo-cli report --output FILE.pdf [--serial N] [--since DATE] [--technician NAME]: the
// calibration report of a visit, from history.csv in the working folder. Talks to no sensor.

#include <filesystem>
#include <iostream>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "qt/calibration_report.h"

namespace kelvo::cli {
namespace {

constexpr const char* kName = "report";

int report(const GlobalOptions&, const std::vector<std::string>& args) {
    const ParsedArgs parsed =
        parseArgs(args, {}, {"--output", "--serial", "--since", "--technician"});
    if (!parsed.error.empty()) return usageError(kName, parsed.error);
    if (!parsed.positional.empty() || !parsed.values.count("--output") ||
        parsed.values.at("--output").empty())
        return usageError(kName, "takes --output FILE.pdf");
    const auto value = [&parsed](const char* option) {
        const auto found = parsed.values.find(option);
        return found == parsed.values.end() ? std::string() : found->second;
    };
    const ReportFilter filter{value("--serial"), value("--since"), value("--technician")};
    std::error_code ignored;
    const std::string here = std::filesystem::current_path(ignored).string();
    std::string error;
    if (!WriteCalibrationReport(here, value("--output"), filter, error)) {
        std::cerr << error << "\n";
        return kExitFailed;
    }
    std::cout << "Calibration report written to " << value("--output") << "\n";
    return kExitOk;
}

const RegisterCommand registered(
    {kName, "report --output FILE.pdf [--serial N] [--since DATE] [--technician NAME]", report,
     true});

}  // namespace
}  // namespace kelvo::cli
