#pragma once
// Strict argument parsing shared by the memory commands: a bad number is a usage error
// with a message, never a guess.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo::cli {

// A whole decimal number in first..last; nullopt for anything else ("12x", "", "1.5").
std::optional<long long> parseWhole(std::string_view text, long long first, long long last);

// Options after the command: flags ("--json") and options with one value ("--count 4").
struct ParsedArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    std::string error;  // empty when the arguments parsed
};

ParsedArgs parseArgs(const std::vector<std::string>& args, const std::set<std::string>& flags,
                     const std::set<std::string>& valued);

// "eeprom" -> true, "ram" -> false.
std::optional<bool> parseMemory(const std::vector<std::string>& positional);

// Writes "kelvo-cli: <command>: <message>" to stderr and returns kExitUsage.
int usageError(const std::string& command, const std::string& message);

}  // namespace kelvo::cli
