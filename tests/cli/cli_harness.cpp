#include "cli/cli_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <optional>

namespace kelvo::test {
namespace {

using Clock = std::chrono::steady_clock;

struct Child {
    pid_t pid = -1;
    int out = -1;
    int err = -1;
};

Child spawn(const std::vector<std::string>& args, const std::string& workDir) {
    int out[2], err[2];
    if (::pipe(out) != 0) return {};
    if (::pipe(err) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return {};
    }
    std::vector<std::string> argv{KELVO_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (auto& arg : argv) raw.push_back(arg.data());
    raw.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        for (const int fd : {out[0], err[0], out[1], err[1]}) ::close(fd);
        if (!workDir.empty() && ::chdir(workDir.c_str()) != 0) ::_exit(127);
        ::execv(raw[0], raw.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    if (pid < 0) {
        ::close(out[0]);
        ::close(err[0]);
        return {};
    }
    return {pid, out[0], err[0]};
}

// Reads what is there from fd into text; false at end of file.
bool drain(int fd, std::string& text) {
    std::array<char, 4096> buffer;
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n > 0) text.append(buffer.data(), static_cast<size_t>(n));
    return n > 0 || (n < 0 && errno == EINTR);
}

int msLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<int64_t>(0, left.count()));
}

// Waits for the child to end until the deadline; its exit code, or -1 (still running or
// killed by a signal).
int reap(pid_t pid, Clock::time_point deadline, bool& ended) {
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            ended = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (done < 0 || Clock::now() >= deadline) {
            ended = done < 0;
            return -1;
        }
        ::usleep(10'000);
    }
}

int killAndReap(pid_t pid) {
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return -1;
}

}  // namespace

CliResult runCli(const std::vector<std::string>& args, std::chrono::milliseconds timeout,
                 const std::string& workDir, const Interrupt& interrupt) {
    CliResult result;
    // A command run without a folder of its own still writes backups and history: into a
    // scratch folder, never into the checkout the tests run from.
    std::string dir = workDir;
    if (dir.empty()) {
        const auto scratch = std::filesystem::temp_directory_path() /
                             ("kelvo-cli-tests-" + std::to_string(::getpid()));
        std::filesystem::create_directories(scratch);
        dir = scratch.string();
    }
    const Child child = spawn(args, dir);
    if (child.pid < 0) return result;
    const auto deadline = Clock::now() + timeout;
    std::optional<Clock::time_point> signalAt;
    bool signalled = interrupt.signal == 0;
    std::array<pollfd, 2> fds{pollfd{child.out, POLLIN, 0}, pollfd{child.err, POLLIN, 0}};
    int open = 2;
    while (open > 0 && Clock::now() < deadline) {
        if (!signalled && !signalAt && result.out.find(interrupt.onOutput) != std::string::npos)
            signalAt = Clock::now() + interrupt.after;
        if (!signalled && signalAt && Clock::now() >= *signalAt) {
            ::kill(interrupt.target ? interrupt.target : child.pid, interrupt.signal);
            signalled = true;
        }
        const int wait = signalled || !signalAt ? msLeft(deadline) : std::min(msLeft(deadline), 5);
        if (::poll(fds.data(), fds.size(), wait) < 0 && errno != EINTR) break;
        for (size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            if (!drain(fds[i].fd, i == 0 ? result.out : result.err)) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    ::close(child.out);
    ::close(child.err);
    bool ended = false;
    result.exitCode = reap(child.pid, deadline, ended);
    if (!ended) {
        result.timedOut = true;
        result.exitCode = killAndReap(child.pid);
    }
    return result;
}

CliResult CliWith::operator()(std::vector<std::string> args, const Interrupt& interrupt) const {
    args.insert(args.begin(), lead.begin(), lead.end());
    return runCli(args, timeout, workDir, interrupt);
}

VirtualSensorServer::VirtualSensorServer(std::vector<std::string> args,
                                         std::chrono::milliseconds startTimeout) {
    args.insert(args.begin(), "virtual-sensor");
    const Child child = spawn(args, {});
    if (child.pid < 0) return;
    pid_ = child.pid;
    out_ = child.out;
    err_ = child.err;
    const auto deadline = Clock::now() + startTimeout;
    std::string text;
    while (text.find('\n') == std::string::npos && Clock::now() < deadline) {
        std::array<pollfd, 2> fds{pollfd{out_, POLLIN, 0}, pollfd{err_, POLLIN, 0}};
        if (::poll(fds.data(), fds.size(), msLeft(deadline)) < 0 && errno != EINTR) break;
        if (fds[1].revents != 0 && !drain(err_, startError_) && fds[0].revents == 0) break;
        if (fds[0].revents != 0 && !drain(out_, text)) break;
    }
    const std::string prefix = "port: ";
    if (text.rfind(prefix, 0) == 0 && text.find('\n') != std::string::npos) {
        port_ = text.substr(prefix.size(), text.find('\n') - prefix.size());
    } else {
        kill();
    }
}

VirtualSensorServer::~VirtualSensorServer() {
    stop();
}

int VirtualSensorServer::stop(std::chrono::milliseconds grace) {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    bool ended = false;
    int code = reap(pid_, Clock::now() + grace, ended);
    if (!ended) code = killAndReap(pid_);
    pid_ = -1;
    ::close(out_);
    ::close(err_);
    return code;
}

void VirtualSensorServer::kill() {
    if (pid_ > 0) ::kill(pid_, SIGKILL);
    stop();  // reaps it at once and closes its pipes
}

}  // namespace kelvo::test
