// How much CPU a sensor window takes while it sits idle and polls a virtual sensor that
// answers in real line time, as the program does all day on a technician's bench.
// Prints the CPU time used as a percentage of one core.
//   idle_cpu_bench [seconds] [port]       (default: 30 virtual:5; virtual:6v3 and so on for
//                                          the other windows)

#include <QApplication>
#include <QCheckBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "bench_support.h"
#include "bench_window_host.h"
#include "common/context.h"
#include "files/definition_file.h"
#include "link/sensor_link.h"
#include "link/sensor_mem_read.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "qt/qt_clock.h"
#include "qt/qt_event_pump.h"
#include "qt/selectable_port.h"
#include "windows/sensor_windows.h"

using namespace kelvo;
using bench::BenchHost;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const QString portName = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("virtual:5");

    qt::QtClock clock;
    qt::SelectablePort port(clock);
    port.setPortName(portName.toStdString());
    qt::QtEventPump pump(clock, &port);
    bench::BenchPrompter prompter;
    Context ctx(port, clock, pump, prompter);
    ctx.loadDefinition = LoadDefinition;
    BenchHost host;

    SensorLinkInit(ctx, 30);
    SensorWindowSet windows;
    SensorWindow* shown = bench::OpenLiveWindow(ctx, host, windows);
    if (!shown) return 1;
    SensorWindow& window = *shown;

    const double wallStart = clock.tickMs() / 1000.0;
    const double cpuStart = bench::cpuSeconds();
    // exit, not quit: quitting asks the windows to close, and a sensor window refuses.
    QTimer::singleShot(seconds * 1000, &app, [] { QApplication::exit(0); });
    app.exec();
    const double wall = clock.tickMs() / 1000.0 - wallStart;
    const double cpu = bench::cpuSeconds() - cpuStart;

    std::printf(
        "idle %s, %s at line speed, %.1f s: CPU %.2f %% of one core "
        "(%.3f s), %d message(s), simulated mode %s\n",
        qPrintable(window.objectName()), qPrintable(portName), wall, 100.0 * cpu / wall, cpu, prompter.messages,
        window.cbxSimulated->isChecked() ? "on" : "off");
    return 0;
}
