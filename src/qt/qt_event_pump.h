#pragma once
// Waits that keep the user interface (or kelvo-cli's event loop, through which QSerialPort
// delivers its data) running, and sleep in the OS between events.

#include "common/platform.h"

namespace kelvo::qt {

class QtEventPump : public EventPump {
public:
    // Longest single sleep: a wait looks at the port and the clock at least this often.
    static constexpr int64_t kMaxBlockMs = 10;
    // A wait this short is slept outright instead of through the event loop's timers.
    static constexpr int64_t kExactSleepMs = 2;

    QtEventPump(const Clock& clock, const SerialPort* port = nullptr)
        : clock_(clock), port_(port) {}

    void setPort(const SerialPort* port) { port_ = port; }

    void idle(int64_t deadlineMs) override;
    void idleNs(int64_t deadlineNs) override;
    void processEvents() override;

private:
    const Clock& clock_;
    const SerialPort* port_;
};

}  // namespace kelvo::qt
