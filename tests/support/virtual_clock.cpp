#include "support/virtual_clock.h"

#include <cmath>

namespace kelvo::test {

double VirtualClock::secondsOfDay() const {
    const double seconds = secondsAtZero_ + (tick_ - 1'000'000) / 1000.0;
    return std::fmod(std::fmod(seconds, 86400.0) + 86400.0, 86400.0);
}

void VirtualEventPump::processEvents() {
    // Copy: a handler may add another.
    auto handlers = handlers_;
    for (auto& handler : handlers) handler();
}

void VirtualEventPump::idle(int64_t deadlineMs) {
    ++idleCalls_;
    processEvents();
    int64_t wake = deadlineMs;
    if (port_) {
        if (auto next = port_->nextArrivalMs(); next && *next < wake) wake = *next;
    }
    // Always move on by at least a millisecond so that a caller's wait loop ends.
    clock_.advanceTo(std::max(wake, clock_.tickMs() + 1));
}

}  // namespace kelvo::test
