// Runs kelvo-cli's actions, in this process and through the same command code, against a
// virtual sensor served on a pseudo-terminal at 9600-baud line timing, and compares each
// action's time with the least its own traffic allows: every byte's line time, the pauses
// the link requires and the sensor's turnarounds. Prints a Markdown table.

#include <sys/prctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "calibration/calibration_check.h"
#include "cli/cli_command.h"
#include "common/system_clock.h"
#include "virtualsensor/factory_images.h"
#include "virtualsensor/pty_bridge.h"
#include "virtualsensor/virtual_network.h"
#include "virtualsensor/virtual_sensor.h"

namespace kelvo::cli {
std::map<std::string, Command>& commandRegistry() {
    static std::map<std::string, Command> registry;
    return registry;
}
}  // namespace kelvo::cli

namespace {

using namespace kelvo;
using virtualsensor::VirtualSensor;

constexpr double kByteMs = VirtualSensor::kByteTimeNs / 1e6;
constexpr double kTurnaroundMs = VirtualSensor::kTurnaroundNs / 1e6;
// What the link requires around every exchange: a quiet line before a read or write
// attempt, and the sensor's settle time after its clear-to-send.
constexpr double kPauseBeforeAttemptMs = 5;
constexpr double kSettleMs = 8;
// The time an empty ID is given to answer the scan's handshake.
constexpr double kAnswerTimeMs = 100;
constexpr int kNetworkIds = 30;

// Measured milliseconds per action, for the goals below the table.
std::map<std::string, double> measuredMs;

const char* const kReadRam5 = "read ram 4 bytes, platform 5 (reference)";
const char* const kReadRam6 = "read ram 4 bytes, platform 6 (reference)";
const char* const kReadEeprom6 = "read eeprom 1 byte, platform 6 (reference)";
const char* const kWriteRam5 = "write ram 4 bytes, platform 5";
const char* const kWriteRam6 = "write ram 4 bytes, platform 6";
const char* const kWriteEeprom6 = "write eeprom 4 bytes, unlock and lock, platform 6";

// The small writes against the reads they are measured by.
void printWriteGoals() {
    struct Goal {
        const char* action;
        const char* reference;
        double most;
    };
    const Goal goals[] = {{kWriteRam5, kReadRam5, 2.5},
                          {kWriteRam6, kReadRam6, 2.5},
                          {kWriteEeprom6, kReadEeprom6, 4}};
    std::printf("\n| write | times its reference read | goal |\n|---|--:|--:|\n");
    for (const Goal& goal : goals)
        std::printf("| %s | %.2f | %.1f |\n", goal.action,
                    measuredMs[goal.action] / measuredMs[goal.reference], goal.most);
}

// Counts the bytes both ways between the pseudo-terminal and the sensor.
class CountingPort : public SerialPort {
public:
    explicit CountingPort(SerialPort& inner) : inner_(inner) {}
    void setPortName(const std::string& name) override { inner_.setPortName(name); }
    std::string portName() const override { return inner_.portName(); }
    bool open() override { return inner_.open(); }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    int bytesWaiting() override { return inner_.bytesWaiting(); }
    Bytes readAll() override {
        Bytes bytes = inner_.readAll();
        fromSensor += static_cast<int64_t>(bytes.size());
        return bytes;
    }
    bool write(const Bytes& bytes) override {
        toSensor += static_cast<int64_t>(bytes.size());
        return inner_.write(bytes);
    }
    void setDtr(bool on) override { inner_.setDtr(on); }
    std::string errorString() const override { return inner_.errorString(); }
    std::optional<int64_t> nextArrivalMs() const override { return inner_.nextArrivalMs(); }
    std::optional<int64_t> nextArrivalNs() const override { return inner_.nextArrivalNs(); }

    int64_t toSensor = 0;
    int64_t fromSensor = 0;

private:
    SerialPort& inner_;
};

struct Action {
    std::string name;
    int platform;  // 0: the network of virtual:net
    std::vector<std::string> args;
    // Waits the action must make besides its traffic: a calibration lets the sensor measure
    // through its new words before it reads the channel against the reference.
    double requiredWaitMs = 0;
    // The gas the sensor sits in, in ppm; below 0: room air. A zero calibration is made in
    // zero gas, since one in room air is refused.
    double gasPpm = -1;
};

struct Traffic {
    int64_t bytes = 0;
    int dataFrames = 0;      // reads and writes: each pauses before its attempt
    int commandFrames = 0;   // no pause before
    int bareHandshakes = 0;  // answered with no frame after (the scan's probes)
    int silentIds = 0;
};

// Commands start with 0x10 or 0x20 set in their first byte; reads and writes never do.
void countFrames(const VirtualSensor& sensor, Traffic& traffic) {
    int frames = 0;
    for (const Bytes& frame : sensor.requests()) {
        ++frames;
        if (frame[0] & 0x30)
            ++traffic.commandFrames;
        else
            ++traffic.dataFrames;
    }
    traffic.bareHandshakes += sensor.handshakesAnswered() - frames;
}

double minimumMs(const Traffic& t) {
    return t.bytes * kByteMs +
           t.dataFrames * (kPauseBeforeAttemptMs + kSettleMs + 2 * kTurnaroundMs) +
           t.commandFrames * (kSettleMs + 2 * kTurnaroundMs) + t.bareHandshakes * kTurnaroundMs +
           t.silentIds * kAnswerTimeMs;
}

struct Served {
    std::unique_ptr<VirtualSensor> sensor;
    std::unique_ptr<virtualsensor::VirtualNetwork> network;
    SerialPort& port() { return network ? static_cast<SerialPort&>(*network) : *sensor; }
};

void runAction(const Action& action, const Clock& clock) {
    Served served;
    if (action.platform == 0) {
        served.network = std::make_unique<virtualsensor::VirtualNetwork>(
            clock, virtualsensor::DemoNetwork(), virtualsensor::LineTiming::RealTime);
    } else {
        served.sensor = std::make_unique<VirtualSensor>(
            // Platform 7 has no version 0.
            clock, *virtualsensor::FactoryImage(action.platform, action.platform == 7 ? 1 : 0),
            virtualsensor::LineTiming::RealTime);
        if (action.gasPpm >= 0) served.sensor->memory().gasPpm = action.gasPpm;
    }
    CountingPort counted(served.port());
    virtualsensor::PtyBridge bridge(counted, clock);
    int stop[2];
    if (!bridge.open() || ::pipe(stop) != 0) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", bridge.error().c_str());
        return;
    }
    std::thread server([&] { bridge.serve(stop[0]); });

    cli::GlobalOptions options;
    options.port = bridge.devicePath();
    const std::vector<std::string> rest(action.args.begin() + 1, action.args.end());
    std::ostringstream out;
    std::streambuf* kept = std::cout.rdbuf(out.rdbuf());
    const auto start = std::chrono::steady_clock::now();
    const int exit = cli::commandRegistry().at(action.args[0]).run(options, rest);
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::cout.rdbuf(kept);

    const char byte = 1;
    if (::write(stop[1], &byte, 1) != 1) std::fprintf(stderr, "cannot stop the server\n");
    server.join();
    ::close(stop[0]);
    ::close(stop[1]);

    Traffic traffic;
    traffic.bytes = counted.toSensor + counted.fromSensor;
    if (served.network) {
        for (const auto& s : served.network->sensors()) countFrames(*s, traffic);
        traffic.silentIds = kNetworkIds - static_cast<int>(served.network->sensors().size());
    } else {
        countFrames(*served.sensor, traffic);
    }
    const double minimum = minimumMs(traffic) + action.requiredWaitMs;
    measuredMs[action.name] = wallMs;
    std::printf("| %-50s | %s | %6lld | %8.1f | %8.1f | %6.2f |\n", action.name.c_str(),
                exit == 0 ? "ok  " : "FAIL", static_cast<long long>(traffic.bytes), minimum, wallMs,
                wallMs / minimum);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // Wake from each sleep as close to the byte's arrival as the kernel allows.
    prctl(PR_SET_TIMERSLACK, 1UL);
    // Backups, history and settings files land in a scratch working folder that holds the
    // definition files, as the program's own does.
    const auto folder = std::filesystem::temp_directory_path() /
                        ("kelvo-action-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::copy(
        KELVO_SOURCE_DIR "/data", folder,
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::skip_existing);
    std::filesystem::current_path(folder);

    const double kSettle = static_cast<double>(kCalibrationSettleMs);
    const std::vector<Action> actions{
        {kReadRam5, 5, {"read", "ram", "--address", "100", "--count", "4"}},
        {kReadRam6, 6, {"read", "ram", "--address", "100", "--count", "4"}},
        {kReadEeprom6, 6, {"read", "eeprom", "--address", "100", "--count", "1"}},
        {kWriteRam5, 5, {"write", "ram", "--address", "100", "--values", "1,2,3,4"}},
        {kWriteRam6, 6, {"write", "ram", "--address", "100", "--values", "1,2,3,4"}},
        {kWriteEeprom6,
         6,
         {"write", "eeprom", "--address", "100", "--values", "1,2,3,4", "--unlock", "--lock"}},
        {"calibrate co2-zero, platform 5", 5, {"calibrate", "co2-zero"}, kSettle, 0},
        {"calibrate co2-zero, platform 6", 6, {"calibrate", "co2-zero"}, kSettle, 0},
        {"calibrate temp, platform 6", 6, {"calibrate", "temp", "22.5"}, kSettle},
        {"identify, platform 5", 5, {"identify"}},
        {"identify, platform 6", 6, {"identify"}},
        {"identify, platform 7", 7, {"identify"}},
        {"save-file, platform 6", 6, {"save-file", "bench6.Set"}},
        {"send-file, platform 6", 6, {"send-file", "bench6.Set"}},
        {"scan, six-sensor network", 0, {"scan"}},
    };
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    SystemClock clock;
    std::printf(
        "9600-baud line timing, real clock, kelvo-cli's commands over a pseudo-terminal\n\n");
    std::printf("| %-50s | %s | %6s | %8s | %8s | %6s |\n", "action", "    ", "bytes", "min ms",
                "ms", "ratio");
    std::printf("|%s|------|-------:|---------:|---------:|-------:|\n",
                std::string(52, '-').c_str());
    for (int round = 0; round < rounds; ++round)
        for (const Action& action : actions) runAction(action, clock);
    printWriteGoals();
    std::error_code ignored;
    std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
