// Pictures of every sensor window for the manual: each opened on the built-in virtual
// sensor the way start-up opens it and left to poll for a few seconds, then grabbed; the
// platform-5 window again in simulated mode, and the trend window after a minute of polls.
//   window_shots OUTPUT-FOLDER [trend-seconds]
// With --round, each window is shown after a technician's round instead, done through the
// window's own controls: one setting edited, "Send to sensor", "Read from sensor" (the edit
// must still show), a temperature calibration to the present reading with its questions
// answered Yes, then the trend open for a minute of polls. Writes NAME.png (the window),
// NAME-trend.png and NAME-screen.png (the whole screen), and says whether each window fits
// the screen.
//   window_shots --round OUTPUT-FOLDER [trend-seconds]
// Run from the source folder, under an X server for the desktop's look (scripts/screenshot
// runs it under Xvfb).

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>

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

bool save(const QPixmap& picture, const QString& path) {
    const bool saved = picture.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

bool save(QWidget& widget, const QString& path) { return save(widget.grab(), path); }

// The technician at the keyboard: reads every message, types the answers queued for the
// input boxes, and says Yes to every question (the round means what it asks for).
class RoundPrompter : public Prompter {
public:
    void message(const std::string& text, Icon) override {
        std::printf("  message: %s\n", text.c_str());
    }
    std::string input(const std::string& prompt) override {
        std::string answer;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        std::printf("  asked \"%s\", typed \"%s\"\n", prompt.c_str(), answer.c_str());
        return answer;
    }
    std::optional<std::string> openFile(const std::string&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const std::string&) override { return std::nullopt; }
    bool confirm(const std::string& question) override {
        std::printf("  asked \"%s\", answered Yes\n", question.c_str());
        return true;
    }

    std::deque<std::string> answers;
};

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
    RoundPrompter prompter;
    Context ctx;
    bench::BenchHost host;
    SensorWindowSet windows;
};

struct Shot {
    const char* port;
    const char* file;
    // The round's edit: a settings field and what the technician types into it.
    const char* field;
    const char* typed;
};

// Starts a window's action the way its button or menu item does and waits, as the user
// does, until the window has run it; what the status bar said then is printed.
void runAction(Bench& bench, SensorWindow& window, const char* what,
               const std::function<void()>& start) {
    std::printf("  %s\n", what);
    start();
    for (int waited = 0; bench.ctx.PendingAction != kActionNone && waited < 120; ++waited)
        waitMs(250);
    waitMs(300);
    std::printf("  status bar: %s\n", qPrintable(window.statusBar()->currentMessage()));
}

// What clicking into the field, typing and pressing Enter does.
void typeInto(QLineEdit& field, const QString& text) {
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(&field, &focus);
    field.setText(text);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&field, &enter);
}

// The present temperature as the window shows it; empty when it shows none.
QString shownTemperature(const SensorWindow& window) {
    for (const ShownChannel& shown : window.shownChannels()) {
        if (shown.unit.contains(u'C') || shown.unit.contains(u'F') ||
            shown.name.contains(QStringLiteral("TEMP"), Qt::CaseInsensitive))
            return shown.value.trimmed();
    }
    return {};
}

// Whether the widget's frame lies inside the screen it is on; says so when it does not.
bool fitsScreen(const QWidget& widget, const char* what) {
    const QRect screen = widget.screen()->geometry();
    const QRect frame = widget.frameGeometry();
    const bool fits = frame.width() <= screen.width() && frame.height() <= screen.height();
    std::printf("  %s is %dx%d on a %dx%d screen%s\n", what, frame.width(), frame.height(),
                screen.width(), screen.height(), fits ? "" : ": DOES NOT FIT");
    return fits;
}

// The round on one window; the number of pictures that could not be written.
int technicianRound(Bench& bench, SensorWindow& window, const Shot& shot, const QDir& out,
                    int trendSeconds) {
    std::printf("%s (%s)\n", shot.file, shot.port);
    waitMs(2500);  // the first poll
    auto* field = window.findChild<QLineEdit*>(QString::fromLatin1(shot.field));
    if (field) {
        const QString before = field->text();
        typeInto(*field, QString::fromLatin1(shot.typed));
        std::printf("  %s: %s, typed %s, shows %s\n", shot.field, qPrintable(before), shot.typed,
                    qPrintable(field->text()));
        std::printf("  status bar: %s\n", qPrintable(window.statusBar()->currentMessage()));
    } else {
        std::printf("  no field %s\n", shot.field);
    }
    const QString edited = field ? field->text() : QString();
    runAction(bench, window, "Send to sensor", [&] { window.btnSendToSensor->click(); });
    runAction(bench, window, "Read from sensor", [&] { window.btnReadFromSensor->click(); });
    if (field) {
        std::printf("  %s after the read: %s%s\n", shot.field, qPrintable(field->text()),
                    field->text() == edited ? " (the edit is kept)" : " (THE EDIT IS LOST)");
    }
    waitMs(2500);  // a poll after the read, so the reading is the sensor's present one
    const QString temperature = shownTemperature(window);
    if (!temperature.isEmpty()) {
        bench.prompter.answers.push_back(temperature.toStdString());
        runAction(bench, window, "Calibrate > Temp", [&] { window.CalTemp->trigger(); });
    } else {
        runAction(bench, window, "Calibrate > CO2 single point > Fresh air",
                  [&] { window.mCalCO2Background->trigger(); });
    }
    window.measurementViews()->mTrend->trigger();
    TrendWindow& trend = *window.measurementViews()->trend();
    // In the screen's far corner, so the screen picture shows both windows.
    const QRect screen = trend.screen()->availableGeometry();
    trend.move(screen.right() - trend.frameGeometry().width(),
               screen.bottom() - trend.frameGeometry().height());
    waitMs(trendSeconds * 1000);
    fitsScreen(window, "the window");
    fitsScreen(trend, "the trend");
    int failures = !save(window, out.filePath(QString(shot.file) + ".png"));
    failures += !save(trend, out.filePath(QString(shot.file) + "-trend.png"));
    failures += !save(window.screen()->grabWindow(0), out.filePath(QString(shot.file) + "-screen.png"));
    trend.hide();
    return failures;
}

// The manual's pictures: each window after two polls, platform 5 simulated and its trend.
int manualShot(SensorWindow& window, const Shot& shot, const QDir& out, int trendSeconds) {
    waitMs(4500);  // two polls
    int failures = !save(window, out.filePath(QString(shot.file) + ".png"));
    if (QString(shot.file) == "frm5") {
        window.SimMode(true);
        waitMs(300);
        failures += !save(window, out.filePath("frm5-simulated.png"));
        window.SimMode(false);
        window.measurementViews()->mTrend->trigger();
        waitMs(trendSeconds * 1000);
        failures += !save(*window.measurementViews()->trend(), out.filePath("trend.png"));
    }
    return failures;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool round = args.removeAll(QStringLiteral("--round")) > 0;
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: window_shots [--round] OUTPUT-FOLDER [trend-seconds]\n");
        return 2;
    }
    const QDir out(args[0]);
    const int trendSeconds = args.size() > 1 ? std::max(2, args[1].toInt()) : 60;
    int failures = 0;

    const Shot shots[] = {
        {"virtual:5", "frm5", "txbDigTtime", "3"},
        {"virtual:5v2", "frm5chart", "txbTolvaLevel_1", "1000"},
        {"virtual:6", "frm6", "txbOutBaseLine_2", "52"},
        {"virtual:6v3", "frm6v3", "txb6v3C", "1100"},
        {"virtual:6v1", "frm6vav", "txbSetPV1CO2", "900"},
        {"virtual:61", "frm61", "txbAlarm061Level_0", "1.2"},
        {"virtual:7", "frm7", "lblAlarm7Level_0", "400"},
    };
    for (const Shot& shot : shots) {
        // The round's VAV picture has no page in the manual.
        if (!round && QString(shot.file) == "frm6vav") continue;
        Bench bench(shot.port);
        SensorWindow* window = bench.open();
        if (!window) {
            std::fprintf(stderr, "%s: %s\n", shot.port, bench.ctx.ErrorText.c_str());
            ++failures;
            continue;
        }
        failures += round ? technicianRound(bench, *window, shot, out, trendSeconds)
                          : manualShot(*window, shot, out, trendSeconds);
        window->hide();
    }
    return failures == 0 ? 0 : 1;
}
