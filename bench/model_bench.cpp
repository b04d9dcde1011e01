// What the sensor model costs in CPU: building a linearisation table (16 bisections of
// about 165 halvings, three exponentials each), loading a definition file, converting a
// raw value to text, and one physics update of a virtual sensor. Prints figures.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "common/context.h"
#include "common/no_link.h"
#include "files/definition_file.h"
#include "model/channels.h"
#include "model/tables.h"
#include "virtualsensor/factory_images.h"

#include "bench_support.h"

namespace {

using namespace kelvo;

class CountingPump : public EventPump {
public:
    void idle(int64_t) override {}
    void processEvents() override { ++calls; }
    long calls = 0;
};
double microsecondsPer(int rounds, const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) work();
    const std::chrono::duration<double, std::micro> spent =
        std::chrono::steady_clock::now() - start;
    return spent.count() / rounds;
}

}  // namespace

// Usage: model_bench [DATA_DIR]   (default: data, from the source folder)
int main(int argc, char** argv) {
    NoPort port;
    StillClock clock;
    CountingPump pump;
    bench::BenchPrompter prompter;
    Context ctx(port, clock, pump, prompter);
    ctx.loadDefinition = LoadDefinition;
    ctx.EeRead.fill(true);
    ctx.RamRead.fill(true);
    ctx.RamImage[65] = 231;
    ctx.AppDir = argc > 1 ? argv[1] : "data";

    const double build = microsecondsPer(200, [&] {
        BuildTable(ctx, 1, 0.115081f, -0.00185441f, 0.42264f, 0.114645f, 0.2415f, 2000, 0);
    });
    const long eventsPerTable = pump.calls / 200;
    std::printf("BuildTable:                 %8.1f us, %ld event passes\n", build, eventsPerTable);

    const double load = microsecondsPer(50, [&] {
        ctx.ErrorText.clear();
        LoadDefinition(ctx);
    });
    std::printf("LoadDefinition (4 tables):  %8.1f us%s\n", load,
                ctx.ErrorText.empty() ? "" : ("  (" + ctx.ErrorText + ")").c_str());

    const double format = microsecondsPer(20000, [&] {
        volatile auto text = FormatChannelValue(ctx, 5412, 1, false, false);
        (void)text;
    });
    std::printf("FormatChannelValue:         %8.2f us\n", format);

    auto memory = *virtualsensor::FactoryImage(6, 0);
    int64_t now = 0;
    const double physics =
        microsecondsPer(20000, [&] { virtualsensor::UpdateLiveValues(memory, now += 100); });
    std::printf("UpdateLiveValues (6v0):     %8.2f us\n", physics);
    return 0;
}
