#pragma once
// Everything a kelvo-cli command needs to talk to a sensor: a Context wired to the real
// port (or a virtual sensor), a real clock and event pump, and a prompter that answers
// from the command line instead of asking.

#include <memory>
#include <string>

#include "cli/cli_command.h"
#include "common/context.h"

namespace kelvo::cli {

class Session {
public:
    // Port name as given (number, device path, virtual:P[vV]); SensorAddress from --id
    // (30 without it); ComLogEnabled from --log; AppDir = the current directory, where
    // sends keep their backups and the service history. With force, a Yes/No question the
    // core asks (a file that changes the sensor's identity) is answered Yes.
    explicit Session(const GlobalOptions& options, bool force = false);
    ~Session();

    Context& ctx();

    // The command holds the port open from its first transaction to its end; a command that
    // repeats (a watch) ends each round here, leaving the port free until the next.
    void endAction();

    // Prints ErrorText (or the fallback when it is empty) to stderr, or why the port cannot
    // be opened when it cannot; returns kExitFailed.
    int fail(const std::string& fallback = "Failed");

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace kelvo::cli
