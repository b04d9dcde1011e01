// Pictures of every sensor window for the manual: each opened on the built-in virtual
// sensor the way start-up opens it and left to poll for a few seconds, then grabbed; the
// platform-5 window again in simulated mode, and the trend window after a minute of polls.
//   window_shots OUTPUT-FOLDER [trend-seconds]
// Run from the source folder, under an X server for the desktop's look (scripts/screenshot
// runs it under Xvfb).

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "bench_support.h"
#include "bench_window_host.h"
#include "common/context.h"
#include "files/definition_file.h"
#include "link/sensor_link.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "qt/qt_clock.h"
#include "qt/qt_event_pump.h"
#include "qt/selectable_port.h"
#include "windows/measurement_views.h"
#include "windows/sensor_windows.h"
#include "windows/trend_window.h"

namespace {

using namespace kelvo;

void waitMs(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool save(QWidget& widget, const QString& path) {
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

// One virtual sensor and the windows start-up would have for it.
struct Bench {
    explicit Bench(const std::string& portName)
        : port(clock), pump(clock, &port), ctx(port, clock, pump, prompter) {
        port.setPortName(portName);
        ctx.loadDefinition = LoadDefinition;
        ctx.AppDir = (QDir::currentPath() + "/data/").toStdString();
        SensorLinkInit(ctx, 30);
        windows = createSensorWindows(ctx, host);
    }

    // Reads the whole image and shows the sensor's window live; null when that failed.
    SensorWindow* open() {
        const uint8_t platform = GetPlatform(ctx);
        if (platform == kPlatform5) LoadDefinition(ctx);
        const PlatformProfile* profile = FindProfile(platform, GetVersion(ctx));
        if (!profile || !ReadSpans(ctx, WholeImageReads(platform))) return nullptr;
        SensorWindow* window = windows.at(profile->window).get();
        if (!window->FormUpdateInit() || !window->FormUpdate()) return nullptr;
        window->SimMode(false);
        ctx.ErrorText.clear();
        window->show();
        return window;
    }

    qt::QtClock clock;
    qt::SelectablePort port;
    qt::QtEventPump pump;
    bench::BenchPrompter prompter;
    Context ctx;
    bench::BenchHost host;
    SensorWindowSet windows;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_shots OUTPUT-FOLDER [trend-seconds]\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const int trendSeconds = argc > 2 ? std::max(2, std::atoi(argv[2])) : 60;
    int failures = 0;

    const struct {
        const char* port;
        const char* file;
    } shots[] = {
        {"virtual:5", "frm5"},    {"virtual:5v1", "frm5chart"}, {"virtual:6", "frm6"},
        {"virtual:6v3", "frm6v3"}, {"virtual:61", "frm61"},     {"virtual:7", "frm7"},
    };
    for (const auto& shot : shots) {
        Bench bench(shot.port);
        SensorWindow* window = bench.open();
        if (!window) {
            std::fprintf(stderr, "%s: %s\n", shot.port, bench.ctx.ErrorText.c_str());
            ++failures;
            continue;
        }
        waitMs(4500);  // two polls
        failures += !save(*window, out.filePath(QString(shot.file) + ".png"));
        if (QString(shot.file) == "frm5") {
            window->SimMode(true);
            waitMs(300);
            failures += !save(*window, out.filePath("frm5-simulated.png"));
            window->SimMode(false);
            window->measurementViews()->mTrend->trigger();
            waitMs(trendSeconds * 1000);
            failures += !save(*window->measurementViews()->trend(), out.filePath("trend.png"));
        }
        window->hide();
    }
    return failures == 0 ? 0 : 1;
}
