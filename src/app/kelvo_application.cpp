#include "app/kelvo_application.h"

#include "app/qt_prompter.h"
#include "app/start_up.h"
#include "common/context.h"
#include "windows/sensor_window.h"

#if __has_include("qt/selectable_port.h") && __has_include("windows/sensor_windows.h")
#include "qt/qt_clock.h"
#include "qt/qt_event_pump.h"
#include "qt/selectable_port.h"
#include "windows/sensor_windows.h"
#define KELVO_HAVE_ADAPTERS 1
#else
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTime>
#endif

namespace kelvo {

#ifndef KELVO_HAVE_ADAPTERS
namespace {
class NoPort : public SerialPort {
public:
    void setPortName(const std::string& name) override { name_ = name; }
    std::string portName() const override { return name_; }
    bool open() override { return false; }
    void close() override {}
    bool isOpen() const override { return false; }
    int bytesWaiting() override { return 0; }
    Bytes readAll() override { return {}; }
    bool write(const Bytes&) override { return false; }
    void setDtr(bool) override {}
    std::string errorString() const override { return "No ports yet"; }

private:
    std::string name_;
};
class QtClock : public Clock {
public:
    QtClock() { timer_.start(); }
    int64_t tickMs() const override { return timer_.elapsed(); }
    double secondsOfDay() const override { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; }

private:
    QElapsedTimer timer_;
};
class QtEventPump : public EventPump {
public:
    explicit QtEventPump(Clock& clock) : clock_(clock) {}
    void idle(int64_t deadlineMs) override {
        const int64_t left = deadlineMs - clock_.tickMs();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents,
                                        static_cast<int>(std::clamp<int64_t>(left, 0, 10)));
    }
    void processEvents() override { QCoreApplication::processEvents(); }

private:
    Clock& clock_;
};
}  // namespace
#endif

KelvoApplication::KelvoApplication() {
#ifdef KELVO_HAVE_ADAPTERS
    port_ = std::make_unique<SelectablePort>();
    clock_ = std::make_unique<QtClock>();
    events_ = std::make_unique<QtEventPump>(*clock_);
#else
    port_ = std::make_unique<NoPort>();
    clock_ = std::make_unique<QtClock>();
    events_ = std::make_unique<QtEventPump>(*clock_);
#endif
    prompter_ = std::make_unique<QtPrompter>();
    ctx_ = std::make_unique<Context>(*port_, *clock_, *events_, *prompter_);
    startUp_ = std::make_unique<StartUp>(
        *ctx_, [](Context& ctx, WindowHost& host) {
#ifdef KELVO_HAVE_ADAPTERS
            return createSensorWindows(ctx, host);
#else
            (void)ctx;
            (void)host;
            return std::vector<std::unique_ptr<SensorWindow>>();
#endif
        });
    startUp_->setPortChoices(portChoices());
}

KelvoApplication::~KelvoApplication() = default;

void KelvoApplication::start() { startUp_->Main(); }

QStringList KelvoApplication::portChoices() {
    return {"virtual:5", "virtual:5v1", "virtual:6", "virtual:61", "virtual:7"};
}

}  // namespace kelvo
