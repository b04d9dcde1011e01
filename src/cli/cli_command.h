#pragma once
// kelvo-cli's commands register themselves here, one file each, so adding a command
// touches nothing else.

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kelvo::cli {

// Options that come before the command.
struct GlobalOptions {
    std::string port = "1";
    int id = -1;  // -1 = the single sensor (address 30)
    bool log = false;
};

// Exit codes: 0 success, 1 the operation failed (ErrorText on stderr), 2 usage error.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct Command {
    std::string name;
    std::string usage;  // one line, shown by --help
    std::function<int(const GlobalOptions&, const std::vector<std::string>& args)> run;
    // Draws (fonts, pages): runs under a QGuiApplication, without a screen unless the
    // environment names a platform.
    bool gui = false;
};

std::map<std::string, Command>& commandRegistry();

struct RegisterCommand {
    explicit RegisterCommand(Command command) {
        commandRegistry()[command.name] = std::move(command);
    }
};

}  // namespace kelvo::cli
