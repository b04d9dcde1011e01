#include "link/link_waits.h"

#include "common/context.h"

namespace kelvo::link {

Stopwatch::Stopwatch(const Clock& clock) : clock_(&clock), last_(clock.tickNs()) {}
Stopwatch::Stopwatch(const Clock& clock, int64_t sinceNs) : clock_(&clock), last_(sinceNs) {}

int64_t Stopwatch::elapsedNs() {
    const int64_t now = clock_->tickNs();
    if (now > last_) elapsed_ += now - last_;
    last_ = now;
    return elapsed_;
}


void waitOut(Context& ctx, Stopwatch& since, Ms wait) {
    for (int64_t left = since.remainingNs(wait); left > 0; left = since.remainingNs(wait)) {
        if (ctx.port.bytesWaiting() > 0) ctx.port.readAll();
        ctx.events.idleNs(ctx.clock.tickNs() + left);
    }
}

void waitFor(Context& ctx, Ms wait) {
    Stopwatch since(ctx.clock);
    waitOut(ctx, since, wait);
}

bool waitForBytes(Context& ctx, int count, Stopwatch& since, Ms wait) {
    for (;;) {
        if (ctx.port.bytesWaiting() >= count) return true;
        const int64_t left = since.remainingNs(wait);
        if (left <= 0) return false;
        ctx.events.idleNs(ctx.clock.tickNs() + left);
    }
}

}  // namespace kelvo::link
