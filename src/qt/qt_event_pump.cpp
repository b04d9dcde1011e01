#include "qt/qt_event_pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>

namespace kelvo::qt {

void QtEventPump::processEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void QtEventPump::idle(int64_t deadlineMs) {
    processEvents();
    const int64_t now = clock_.tickMs();
    int64_t wait = std::min(deadlineMs - now, kMaxBlockMs);
    // A simulated line says when its next byte lands; real ports wake us with an event.
    if (port_) {
        constexpr int64_t kNsPerMs = 1'000'000;
        if (const auto nextNs = port_->nextArrivalNs())
            wait = std::min(wait, (*nextNs - clock_.tickNs() + kNsPerMs - 1) / kNsPerMs);
        else if (const auto next = port_->nextArrivalMs())
            wait = std::min(wait, *next - now);
    }
    if (wait <= 0) return;

    QAbstractEventDispatcher* dispatcher =
        QCoreApplication::instance() ? QAbstractEventDispatcher::instance(QThread::currentThread())
                                     : nullptr;
    if (!dispatcher) {
        std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        return;
    }
    // Block until the first event: our timer, incoming serial data, or the user.
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    timer.start(std::chrono::milliseconds(wait));
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace kelvo::qt
