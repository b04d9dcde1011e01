// How long the link's transactions take on a 9600-baud line (virtual time, from the
// virtual sensor's line timing) and what they cost in real CPU time. Prints figures.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "common/context.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"
#include "virtualsensor/virtual_sensor.h"

#include "bench_support.h"

namespace {

using namespace kelvo;
using bench::BenchClock;
using bench::BenchPump;

void measure(const char* what, int platform, const std::function<bool(Context&)>& run,
             const std::function<void(virtualsensor::VirtualSensor&)>& fault = {}) {
    BenchClock clock;
    virtualsensor::VirtualSensor sensor(clock, *virtualsensor::FactoryImage(platform, 1),
                                        virtualsensor::LineTiming::RealTime);
    if (fault) fault(sensor);
    BenchPump pump(clock, sensor);
    bench::BenchPrompter prompts;
    Context ctx(sensor, clock, pump, prompts);
    const int64_t start = clock.tick;
    const auto realStart = std::chrono::steady_clock::now();
    const bool ok = run(ctx);
    const auto realUs = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - realStart)
                            .count();
    std::printf("%-44s platform %-2d %-4s line time %7lld ms   cpu %6lld us   %zu frames\n", what,
                platform, ok ? "ok" : "FAIL", static_cast<long long>(clock.tick - start),
                static_cast<long long>(realUs), sensor.requests().size());
}

}  // namespace

int main() {
    auto wholeEeprom = [](Context& ctx) { return SensorMemRead(ctx, 30, 0, 0, true, false); };
    auto wholeRam = [](Context& ctx) { return SensorMemRead(ctx, 8, 0, 0, false, false); };
    measure("identification byte", 6,
            [](Context& ctx) { return SensorMemRead(ctx, 0, 65, 1, false, false); });
    measure("whole EEPROM (list 30)", 6, wholeEeprom);
    measure("whole RAM (list 8)", 6, wholeRam);
    measure("large EEPROM, 1024 bytes by range", 7, [](Context& ctx) {
        bool ok = true;
        for (int a = 0; a < 1024 && ok; a += 128) ok = SensorMemRead(ctx, 0, a, 128, true, true);
        return ok;
    });
    measure("send settings, one word changed", 61, [](Context& ctx) {
        if (!SensorMemRead(ctx, 30, 0, 0, true, true)) return false;
        ctx.EeImage[100] = 1;
        return SensorMemWrite(ctx, 30, 0, 0, true, true, false, true, true, false);
    });
    measure("send settings, whole EEPROM written", 61, [](Context& ctx) {
        return SensorMemWrite(ctx, 30, 0, 0, true, true, false, true, true, true);
    });
    measure(
        "identification byte, dead line", 6,
        [](Context& ctx) { return SensorMemRead(ctx, 0, 65, 1, false, false); },
        [](virtualsensor::VirtualSensor& s) { s.silentFor(1000); });
    return 0;
}
