#include "cli/cli_args.h"

#include <charconv>
#include <iostream>

#include "cli/cli_command.h"

namespace kelvo::cli {

std::optional<long long> parseWhole(std::string_view text, long long first, long long last) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    if (value < first || value > last) return std::nullopt;
    return value;
}

ParsedArgs parseArgs(const std::vector<std::string>& args, const std::set<std::string>& flags,
                     const std::set<std::string>& valued) {
    ParsedArgs parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (flags.count(arg)) {
            parsed.flags.insert(arg);
        } else if (valued.count(arg)) {
            if (i + 1 >= args.size()) {
                parsed.error = arg + " needs a value";
                return parsed;
            }
            if (parsed.values.count(arg)) {
                parsed.error = arg + " is given twice";
                return parsed;
            }
            parsed.values[arg] = args[++i];
        } else if (arg.rfind("--", 0) == 0) {
            parsed.error = "unknown option " + arg;
            return parsed;
        } else {
            parsed.positional.push_back(arg);
        }
    }
    return parsed;
}

std::optional<bool> parseMemory(const std::vector<std::string>& positional) {
    if (positional.size() != 1) return std::nullopt;
    if (positional[0] == "eeprom") return true;
    if (positional[0] == "ram") return false;
    return std::nullopt;
}

int usageError(const std::string& command, const std::string& message) {
    std::cerr << "kelvo-cli: " << command << ": " << message << "\n";
    return kExitUsage;
}

}  // namespace kelvo::cli
