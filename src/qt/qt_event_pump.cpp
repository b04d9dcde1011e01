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

void QtEventPump::idle(int64_t deadlineMs) { idleNs(deadlineMs * kNsPerMs); }

void QtEventPump::idleNs(int64_t deadlineNs) {
    processEvents();
    const int64_t now = clock_.tickNs();
    int64_t wake = std::min(deadlineNs, now + kMaxBlockMs * kNsPerMs);
    // A simulated line says when its next byte lands; real ports wake us with an event.
    if (port_) {
        if (const auto nextNs = port_->nextArrivalNs())
            wake = std::min(wake, *nextNs);
        else if (const auto next = port_->nextArrivalMs())
            wake = std::min(wake, *next * kNsPerMs);
    }
    const int64_t wait = wake - now;
    if (wait <= 0) return;

    QAbstractEventDispatcher* dispatcher =
        QCoreApplication::instance() ? QAbstractEventDispatcher::instance(QThread::currentThread())
                                     : nullptr;
    // Qt's timers count whole milliseconds: the last stretch of a wait is slept exactly, so a
    // pause on the line is neither cut short nor stretched by a rounding. The window is too
    // short for anyone to notice.
    if (!dispatcher || wait <= kExactSleepMs * kNsPerMs) {
        std::this_thread::sleep_for(std::chrono::nanoseconds(wait));
        return;
    }
    // Block until the first event: our timer, incoming serial data, or the user. The timer
    // wakes a little early rather than late; the caller's loop sleeps the rest exactly.
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    timer.start(std::chrono::milliseconds(wait / kNsPerMs - 1));
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace kelvo::qt
