#pragma once
// Waiting on the line without spinning: every wait yields to the user interface through
// the event pump and is measured on the monotonic tick.

#include <chrono>
#include <cstdint>

#include "common/platform.h"

namespace kelvo {
struct Context;
}  // namespace kelvo

namespace kelvo::link {

using Ms = std::chrono::milliseconds;

// Time elapsed on the tick, counting only forward steps: a tick that jumps back or wraps
// neither stretches a wait without end nor makes it negative. It counts nanoseconds where
// the clock has them, so a pause started in the middle of a millisecond is not cut short.
class Stopwatch {
public:
    explicit Stopwatch(const Clock& clock);
    // Counting from an earlier moment on the tick (nanoseconds).
    Stopwatch(const Clock& clock, int64_t sinceNs);
    int64_t elapsedNs();
    int64_t elapsedMs() { return elapsedNs() / kNsPerMs; }
    int64_t remainingNs(Ms wait) { return wait.count() * kNsPerMs - elapsedNs(); }


private:
    const Clock* clock_;
    int64_t last_;
    int64_t elapsed_ = 0;
};

// Waits until `wait` has passed on the stopwatch. Every caller discards the input after
// such a wait anyway; it is discarded as it lands, so that unread input does not keep
// waking the event pump.
void waitOut(Context& ctx, Stopwatch& since, Ms wait);
void waitFor(Context& ctx, Ms wait);

// Waits until at least `count` bytes are in the input buffer or `wait` has passed on
// the stopwatch; true when they came.
bool waitForBytes(Context& ctx, int count, Stopwatch& since, Ms wait);

}  // namespace kelvo::link
