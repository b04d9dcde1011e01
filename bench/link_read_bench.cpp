// Reads the whole EEPROM and the whole RAM of a virtual sensor that times its bytes like a
// real 9600-baud line, on the real clock, and compares the wall time with the least the
// protocol allows for the same frames. Also reports the process CPU time: the waits
// should sleep, not spin.

#include <sys/prctl.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "common/context.h"
#include "common/system_clock.h"
#include "link/sensor_mem_read.h"
#include "virtualsensor/virtual_sensor.h"

#include "bench_support.h"

namespace {

using namespace kelvo;
using virtualsensor::VirtualSensor;

// The pauses the read transaction makes in every attempt, before the handshake and
// between the sensor's 223 and the request.
constexpr double kPauseBeforeAttemptMs = 5;
constexpr double kPauseAfterClearToSendMs = 8;

// The least time the frames the sensor received can take: every byte's line time both
// ways, the two fixed pauses and the sensor's two turnarounds per exchange.
double protocolMinimumMs(const VirtualSensor& sensor) {
    const double byteMs = VirtualSensor::kByteTimeNs / 1e6;
    const double turnaroundMs = VirtualSensor::kTurnaroundNs / 1e6;
    double total = 0;
    for (const Bytes& request : sensor.requests()) {
        const int replyBytes = (request[0] & 7) + 2;  // status, data, checksum
        const int lineBytes = 1 + 1 + static_cast<int>(request.size()) + replyBytes;
        total += kPauseBeforeAttemptMs + kPauseAfterClearToSendMs + 2 * turnaroundMs +
                 lineBytes * byteMs;
    }
    return total;
}

void measure(const char* what, int platform, const std::function<bool(Context&)>& run) {
    SystemClock clock;
    VirtualSensor sensor(clock, *virtualsensor::FactoryImage(platform, 0),
                         virtualsensor::LineTiming::RealTime);
    SleepingEventPump pump(clock, &sensor);
    bench::BenchPrompter prompts;
    Context ctx(sensor, clock, pump, prompts);

    const double cpuStart = 1000.0 * bench::cpuSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    const bool ok = run(ctx);
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart)
            .count();
    const double cpu = 1000.0 * bench::cpuSeconds() - cpuStart;
    const double minimum = protocolMinimumMs(sensor);
    std::printf(
        "%-24s %-4s %3zu frames  wall %7.1f ms  protocol minimum %7.1f ms  ratio %.3f  "
        "cpu %6.1f ms (%.2f%% of wall)\n",
        what, ok ? "ok" : "FAIL", sensor.requests().size(), wallMs, minimum, wallMs / minimum, cpu,
        100 * cpu / wallMs);
}

}  // namespace

int main() {
    // Wake from each sleep as close to the byte's arrival as the kernel allows.
    prctl(PR_SET_TIMERSLACK, 1UL);
    std::printf("9600-baud line timing, real clock, sleeping event pump\n");
    for (int round = 0; round < 2; ++round) {
        measure("whole EEPROM (list 30)", 61,
                [](Context& ctx) { return SensorMemRead(ctx, 30, 0, 0, true, false); });
        measure("whole RAM (list 8)", 61,
                [](Context& ctx) { return SensorMemRead(ctx, 8, 0, 0, false, false); });
    }
    return 0;
}
