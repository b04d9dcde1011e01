// kelvo-cli virtual-sensor: serves a virtual sensor on a pseudo-terminal until stopped, so
// that other programs can open it as a serial device.

#include <climits>
#include <csignal>
#include <iostream>
#include <map>
#include <optional>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "common/system_clock.h"
#include "virtualsensor/pty_bridge.h"
#include "virtualsensor/virtual_network.h"
#include "virtualsensor/virtual_sensor.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace kelvo::cli {
namespace {

int stopPipe[2] = {-1, -1};

extern "C" void requestStop(int) {
#ifndef _WIN32
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(stopPipe[1], &byte, 1);
#endif
}

// A whole number from 0 up, or -1 for anything else.
int wholeNumber(const std::string& text) {
    return static_cast<int>(parseWhole(text, 0, INT_MAX).value_or(-1));
}

struct Options {
    int platform = 0;
    std::optional<int> version;
    bool realTime = false;
    int id = -1;
    bool network = false;
    // Faults to try a client against: silent, or refusing, after this many requests.
    int silentAfter = -1;
    int refuseAfter = -1;
};

std::optional<Options> parse(const GlobalOptions& global, const std::vector<std::string>& args) {
    Options options;
    options.id = global.id;
    int version = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--realtime") {
            options.realTime = true;
            continue;
        }
        if (arg == "--net") {
            options.network = true;
            continue;
        }
        const int value = i + 1 < args.size() ? wholeNumber(args[i + 1]) : -1;
        const std::map<std::string, int*> numbers{{"--version", &version},
                                                  {"--platform", &options.platform},
                                                  {"--id", &options.id},
                                                  {"--silent-after", &options.silentAfter},
                                                  {"--refuse-after", &options.refuseAfter}};
        const auto target = numbers.find(arg);
        if (target == numbers.end() || value < 0) {
            std::cerr << "kelvo-cli: virtual-sensor: unexpected '" << arg << "'\n";
            return std::nullopt;
        }
        ++i;
        *target->second = value;
        if (arg == "--version") options.version = version;
    }
    if (options.network && (options.platform != 0 || options.version)) {
        std::cerr << "kelvo-cli: virtual-sensor: --net serves its own six sensors at IDs 1 to 6\n";
        return std::nullopt;
    }
    // On a network the faults strike one sensor, named by --id.
    const bool faults = options.silentAfter >= 0 || options.refuseAfter >= 0;
    if (options.network && (options.id != -1) != faults) {
        std::cerr << "kelvo-cli: virtual-sensor: with --net, --id names the sensor that "
                     "--silent-after or --refuse-after strikes\n";
        return std::nullopt;
    }
    if (options.id != -1 && (options.id < 0 || options.id > 29)) {
        std::cerr << "kelvo-cli: virtual-sensor: --id must be a network ID from 0 to 29\n";
        return std::nullopt;
    }
    return options;
}

int serveVirtualSensor(const GlobalOptions& global, const std::vector<std::string>& args) {
    const std::optional<Options> options = parse(global, args);
    if (!options) return kExitUsage;
    const int version = options->version.value_or(options->platform == kPlatform7 ? 1 : 0);
    auto memory = virtualsensor::FactoryImage(options->network ? kPlatform5 : options->platform,
                                              options->network ? 0 : version);
    if (!memory) {
        std::cerr << "kelvo-cli: there is no virtual sensor of platform " << options->platform
                  << " version " << version << " (platforms 5, 6, 61, 7)\n";
        return kExitUsage;
    }
#ifdef _WIN32
    std::cerr << "kelvo-cli: virtual-sensor needs pseudo-terminals, which this system lacks\n";
    return kExitFailed;
#else
    SystemClock clock;
    const auto timing = options->realTime ? virtualsensor::LineTiming::RealTime
                                          : virtualsensor::LineTiming::Instant;
    virtualsensor::VirtualSensor sensor(clock, std::move(*memory), timing);
    sensor.setRecording(false);
    virtualsensor::VirtualNetwork network(clock, virtualsensor::DemoNetwork(), timing);
    network.setRecording(false);
    virtualsensor::VirtualSensor* struck = &sensor;
    if (options->network) {
        struck = options->id >= 0 ? network.sensorAt(options->id) : nullptr;
        if (options->id >= 0 && !struck) {
            std::cerr << "kelvo-cli: virtual-sensor: no sensor of the network has ID " << options->id
                      << "\n";
            return kExitUsage;
        }
    } else if (options->id >= 0) {
        sensor.setNetworkId(options->id);
    }
    if (struck) {
        struck->silentAfter(options->silentAfter);
        struck->answerOnly(options->refuseAfter);
    }
    virtualsensor::PtyBridge bridge(options->network ? static_cast<SerialPort&>(network) : sensor,
                                    clock);
    if (::pipe(stopPipe) != 0 || !bridge.open()) {
        std::cerr << "kelvo-cli: " << (bridge.error().empty() ? "no pipe" : bridge.error()) << "\n";
        return kExitFailed;
    }
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    std::cout << "port: " << bridge.devicePath() << std::endl;  // flushed: a client waits
    if (!bridge.serve(stopPipe[0])) {
        std::cerr << "kelvo-cli: " << bridge.error() << "\n";
        return kExitFailed;
    }
    return kExitOk;
#endif
}

const RegisterCommand registered(
    {"virtual-sensor",
     "virtual-sensor --platform P [--version V] [--realtime] [--id N] [--silent-after N] "
     "[--refuse-after N] | --net [--realtime] [--id N --silent-after N | --refuse-after N]  "
     "serve a virtual sensor (or the six-sensor network of virtual:net, the faults striking "
     "sensor --id) on a pseudo-terminal until interrupted; the faults make it fall "
     "silent, or refuse everything, after N requests",
     serveVirtualSensor});

}  // namespace
}  // namespace kelvo::cli
