#pragma once
// Runs kelvo-cli as a child process for end-to-end tests: one-shot commands with their
// output and exit code, and a virtual sensor served on a pseudo-terminal for as long as a
// test needs it. Every wait is bounded and a child that overstays is killed.

#include <gtest/gtest.h>
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/test_context.h"

namespace kelvo::test {

struct CliResult {
    int exitCode = -1;  // -1 when the command was killed or could not start
    bool timedOut = false;
    std::string out;
    std::string err;
};

// A signal sent to the command a while after its output first shows a text.
struct Interrupt {
    std::string onOutput;
    std::chrono::milliseconds after{0};
    int signal = 0;
    pid_t target = 0;  // 0: the command itself
};

// kelvo-cli with the same leading arguments (a port, an ID) before each command's own.
struct CliWith {
    std::vector<std::string> lead;
    std::string workDir;
    std::chrono::milliseconds timeout;
    CliResult operator()(std::vector<std::string> args, const Interrupt& interrupt = {}) const;
};

// Runs `kelvo-cli args...` in workDir (a scratch folder of the test process when empty).
CliResult runCli(const std::vector<std::string>& args,
                 std::chrono::milliseconds timeout = std::chrono::seconds(60),
                 const std::string& workDir = {}, const Interrupt& interrupt = {});

// `kelvo-cli virtual-sensor args...` in the background. The constructor waits for its
// "port: /dev/pts/N" line; the destructor stops it (SIGTERM, then SIGKILL).
class VirtualSensorServer {
public:
    explicit VirtualSensorServer(std::vector<std::string> args = {"--platform", "61"},
                                 std::chrono::milliseconds startTimeout = std::chrono::seconds(10));
    ~VirtualSensorServer();
    VirtualSensorServer(const VirtualSensorServer&) = delete;
    VirtualSensorServer& operator=(const VirtualSensorServer&) = delete;

    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // The device to open, e.g. "/dev/pts/3"; empty when the server did not start.
    const std::string& port() const { return port_; }
    // What the server said on stderr before it printed its port (when it failed).
    const std::string& startError() const { return startError_; }

    // Stops the server and returns its exit code (-1 when it had to be killed).
    int stop(std::chrono::milliseconds grace = std::chrono::seconds(3));
    // Kills it at once, like a cable pulled out.
    void kill();

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string port_;
    std::string startError_;
};

// A test with an empty folder of its own (named by process and test), removed afterwards.
class CliFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              ("kelvo-" + std::string(test->test_suite_name()) + "-" + std::to_string(::getpid()) +
               "-" + test->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string file(const std::string& name) const { return (dir / name).string(); }
    // Seeds the folder with the definition files of data/, as the program is run from.
    void copyDefinitions() const { CopyDefinitions(dir); }
    // Runs kelvo-cli in the folder with `lead` before each command's own arguments.
    CliWith cliWith(std::vector<std::string> lead,
                    std::chrono::milliseconds timeout = std::chrono::seconds(60)) const {
        return {std::move(lead), dir.string(), timeout};
    }
    std::filesystem::path dir;
};

}  // namespace kelvo::test
