// How long "Start Kelvo" takes until the sensor window is shown, against a built-in virtual
// sensor timed like a real 9600-baud line, next to the least time the protocol allows for
// the reads start-up makes. The two-second check that the line is silent is reported on
// its own: it is a fixed wait, not communication.
//   startup_bench [port ...]       (default: virtual:5 virtual:6 virtual:6v1 ... virtual:6v5
//                                   virtual:61 virtual:7)
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "app/frm_com_set.h"
#include "app/kelvo_application.h"
#include "app/start_up.h"
#include "common/context.h"
#include "link/sensor_link.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "qt/selectable_port.h"
#include "virtualsensor/virtual_sensor.h"
#include "windows/sensor_window.h"

#include "bench_support.h"

namespace {

using kelvo::virtualsensor::VirtualSensor;

// Line time of a byte and the sensor's turnaround, in milliseconds.
constexpr double kByteMs = VirtualSensor::kByteTimeNs / 1e6;
constexpr double kTurnaroundMs = VirtualSensor::kTurnaroundNs / 1e6;
// Pauses every read attempt makes: before the attempt, and after the sensor's 223.
constexpr double kReadPausesMs = 5 + 8;

// The least time the requests the sensor saw can take: per read frame the handshake byte
// and the 223, the request, the reply (status, n data bytes, checksum), two turnarounds
// and the read's fixed pauses.
double protocolMinimumMs(const std::vector<kelvo::Bytes>& requests, int& blocks, int& bytes) {
    double total = 0;
    blocks = 0;
    bytes = 0;
    for (const auto& request : requests) {
        if (request.empty() || !(request[0] & 0x80)) continue;  // reads only
        const int n = request[0] & 0x07;
        const int onWire = 1 + 1 + static_cast<int>(request.size()) + n + 2;
        total += onWire * kByteMs + 2 * kTurnaroundMs + kReadPausesMs;
        ++blocks;
        bytes += n;
    }
    return total;
}

void seedWorkingFolder(const QString& folder) {
    const QDir data(QCoreApplication::applicationDirPath() + "/../data");
    for (const QString& name : data.entryList(QDir::Files))
        QFile::copy(data.filePath(name), folder + "/" + name);
}

bool runOnce(const QString& port) {
    kelvo::KelvoApplication app(std::make_unique<kelvo::bench::BenchPrompter>());
    kelvo::StartUp& startUp = app.startUp();
    kelvo::Context& ctx = app.context();
    startUp.setEndProgram([] {});
    startUp.Main();
    kelvo::frmComSet& setup = startUp.comSet();
    setup.txbComPort->setCurrentText(port);
    setup.optStartMode[0]->setChecked(true);

    kelvo::SensorWindow* shown = nullptr;
    QObject::connect(&startUp, &kelvo::StartUp::windowShown,
                     [&shown](kelvo::SensorWindow* window) { shown = window; });
    // A first start creates the virtual sensor; the second, timed one finds it recording
    // what the master asks, as a sensor that stays connected would.
    setup.btnStartKelvo->click();
    auto* selectable = dynamic_cast<kelvo::qt::SelectablePort*>(&ctx.port);
    VirtualSensor* sensor = selectable ? selectable->virtualSensor() : nullptr;
    if (!shown || !sensor) {
        std::printf("%-12s no window shown\n", qPrintable(port));
        return false;
    }
    sensor->setRecording(true);
    sensor->clearRecord();
    shown = nullptr;
    startUp.RestartOrEnd();

    QElapsedTimer startTimer;
    startTimer.start();
    setup.btnStartKelvo->click();
    const double totalMs = startTimer.nsecsElapsed() / 1e6;
    if (!shown) {
        std::printf("%-12s no window shown\n", qPrintable(port));
        return false;
    }
    int blocks = 0;
    int bytes = 0;
    const double minimumMs = protocolMinimumMs(sensor->requests(), blocks, bytes);

    // The first values: from the window showing until its first poll has been answered and
    // the port let go again.
    sensor->clearRecord();
    QElapsedTimer firstTimer;
    firstTimer.start();
    const size_t pollReads =
        std::max<size_t>(1, kelvo::MeasurementReads(kelvo::GetPlatform(ctx)).size());
    while ((sensor->requests().size() < pollReads || ctx.port.isOpen()) &&
           firstTimer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const double firstValuesMs = firstTimer.nsecsElapsed() / 1e6;

    // The silent-line check on its own, on the same port.
    QElapsedTimer checkTimer;
    checkTimer.start();
    kelvo::CheckPortFree(ctx, 2);
    const double checkMs = checkTimer.nsecsElapsed() / 1e6;

    const double readsMs = totalMs - checkMs;
    // What the window itself adds: filling it from the image it already holds, with no
    // transaction on the line (a fill that fetched bytes would show as more blocks above).
    QElapsedTimer fillTimer;
    fillTimer.start();
    shown->FormUpdateInit();
    shown->FormUpdate();
    const double fillMs = fillTimer.nsecsElapsed() / 1e6;
    std::printf(
        "%-12s %-10s total %8.1f ms = port check %7.1f ms + reads %7.1f ms; "
        "%3d blocks, %4d bytes; protocol minimum %7.1f ms (%.2fx); window fill %5.1f ms; "
        "first values %6.1f ms after showing\n",
        qPrintable(port), qPrintable(shown->objectName()), totalMs, checkMs, readsMs, blocks, bytes,
        minimumMs, minimumMs > 0 ? readsMs / minimumMs : 0.0, fillMs, firstValuesMs);
    startUp.ShowProgress(QString());
    shown->hide();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication qapp(argc, argv);
    QTemporaryDir work;
    QDir(work.path()).mkpath("config");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.filePath("config"));
    seedWorkingFolder(work.path());
    QDir::setCurrent(work.path());

    QStringList ports = QCoreApplication::arguments().mid(1);
    if (ports.isEmpty()) {
        ports = {"virtual:5",   "virtual:6",   "virtual:6v1", "virtual:6v2", "virtual:6v3",
                 "virtual:6v4", "virtual:6v5", "virtual:61",  "virtual:7"};
    }
    std::printf("Start-up from \"Start Kelvo\" to the window shown, 9600-baud virtual line\n");
    bool allShown = true;
    for (const QString& port : ports) allShown = runOnce(port) && allShown;
    return allShown ? 0 : 1;
}
