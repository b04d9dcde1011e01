// What the trend window and the measurement log cost while a sensor window polls a virtual
// sensor that answers in real line time: the CPU of the whole program, as a percentage of
// one core, with the chart open and every poll logged. Goal: under 3 %.
//   trend_cpu_bench [seconds] [port]       (default: 60 virtual:6)

#include <QApplication>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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
#include "qt/qt_clock.h"
#include "qt/qt_event_pump.h"
#include "qt/selectable_port.h"
#include "windows/measurement_views.h"
#include "windows/trend_window.h"

namespace {

using namespace kelvo;

// Answers the log's file dialog with a file in a folder of the benchmark's own.
class LogPrompter : public bench::BenchPrompter {
public:
    std::optional<std::string> saveFile(const std::string&) override { return path; }
    std::string path;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    const std::string portName = argc > 2 ? argv[2] : "virtual:6";

    qt::QtClock clock;
    qt::SelectablePort port(clock);
    port.setPortName(portName);
    qt::QtEventPump pump(clock, &port);
    LogPrompter prompter;
    QTemporaryDir dir;
    prompter.path = dir.filePath("bench.csv").toStdString();
    Context ctx(port, clock, pump, prompter);
    ctx.loadDefinition = LoadDefinition;
    bench::BenchHost host;

    SensorLinkInit(ctx, 30);
    SensorWindowSet windows;
    SensorWindow* shown = bench::OpenLiveWindow(ctx, host, windows);
    if (!shown) return 1;
    SensorWindow& window = *shown;
    MeasurementViews& views = *window.measurementViews();
    views.mTrend->trigger();
    views.mLogMeasurements->trigger();

    const double wallStart = clock.tickMs() / 1000.0;
    const double cpuStart = bench::cpuSeconds();
    // exit, not quit: quitting asks the windows to close, and a sensor window refuses.
    QTimer::singleShot(seconds * 1000, &app, [] { QApplication::exit(0); });
    app.exec();
    const double wall = clock.tickMs() / 1000.0 - wallStart;
    const double cpu = bench::cpuSeconds() - cpuStart;
    const int points =
        views.trend() ? views.trend()->pointsShown(window.shownChannels().at(0).channel) : 0;
    QFile log(QString::fromStdString(prompter.path));
    const int rows = log.open(QIODevice::ReadOnly) ? int(log.readAll().count('\n')) - 2 : -1;

    std::printf(
        "trend window open and log on, %s at line speed, %.1f s: CPU %.2f %% of one core "
        "(%.3f s), %d trend point(s), %d log row(s), logging %s, %d message(s), simulated mode %s\n",
        portName.c_str(), wall, 100.0 * cpu / wall, cpu, points, rows, views.logging() ? "on" : "off",
        prompter.messages, window.cbxSimulated->isChecked() ? "on" : "off");
    return 0;
}
