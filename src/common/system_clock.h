#pragma once
// Standard-library clock and event pump, for tools without an event loop (benchmarks, the
// pty server): the tick is steady_clock, and a wait sleeps until the port's next byte is
// due or the deadline comes.

#include <chrono>
#include <ctime>
#include <optional>
#include <string>

#include "common/platform.h"

namespace kelvo {

// The wall-clock moment in local time, the same way on every system.
std::tm LocalTime(std::chrono::system_clock::time_point when);
// The moment as strftime formats it in local time.
std::string LocalTimeText(std::chrono::system_clock::time_point when, const char* format);
// The local time a whole text gives in that format ("2026-03-01" for "%Y-%m-%d"), or
// nothing when the text is not one.
std::optional<std::chrono::system_clock::time_point> ParseLocalTime(const std::string& text,
                                                                    const char* format);

class SystemClock : public Clock {
public:
    using Steady = std::chrono::steady_clock;

    SystemClock() : start_(Steady::now()) {}
    int64_t tickMs() const override { return tickNs() / kNsPerMs; }
    int64_t tickNs() const override;
    double secondsOfDay() const override;
    // The moment of a tick, for sleeping until it.
    Steady::time_point timeOfTickNs(int64_t tickNs) const {
        return start_ + std::chrono::nanoseconds(tickNs);
    }

private:
    Steady::time_point start_;
};

class SleepingEventPump : public EventPump {
public:
    // A port with no hint about its next byte is looked at again after this long.
    static constexpr int64_t kMaxBlindSleepMs = 10;

    explicit SleepingEventPump(const SystemClock& clock, const SerialPort* port = nullptr)
        : clock_(clock), port_(port) {}
    void setPort(const SerialPort* port) { port_ = port; }

    void idle(int64_t deadlineMs) override { idleNs(deadlineMs * kNsPerMs); }
    void idleNs(int64_t deadlineNs) override;
    void processEvents() override {}

private:
    const SystemClock& clock_;
    const SerialPort* port_;
};

}  // namespace kelvo
