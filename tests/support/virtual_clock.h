#pragma once
// A clock and event pump for tests: waits cost no real time. The pump jumps the clock to
// the deadline, or earlier to the moment the port says its next byte lands.

#include <cstdint>
#include <functional>
#include <vector>

#include "common/platform.h"

namespace kelvo::test {

class VirtualClock : public Clock {
public:
    int64_t tickMs() const override { return tick_; }
    double secondsOfDay() const override;

    void advance(int64_t ms) { tick_ += ms; }
    void advanceTo(int64_t tickMs) {
        if (tickMs > tick_) tick_ = tickMs;
    }
    // Wall-clock time of day at tick 0; lets a test cross midnight.
    void setSecondsOfDayAtZero(double seconds) { secondsAtZero_ = seconds; }

private:
    int64_t tick_ = 1'000'000;
    double secondsAtZero_ = 12 * 3600;
};

class VirtualEventPump : public EventPump {
public:
    explicit VirtualEventPump(VirtualClock& clock) : clock_(clock) {}

    // Where the next byte comes from (usually the virtual sensor's port).
    void setPort(const SerialPort* port) { port_ = port; }
    // Runs on every idle and processEvents, as a user's clicks would between waits.
    void onEvents(std::function<void()> handler) { handlers_.push_back(std::move(handler)); }

    void idle(int64_t deadlineMs) override;
    void processEvents() override;

    int idleCalls() const { return idleCalls_; }

private:
    VirtualClock& clock_;
    const SerialPort* port_ = nullptr;
    std::vector<std::function<void()>> handlers_;
    int idleCalls_ = 0;
};

}  // namespace kelvo::test
