#include "link/link_waits.h"

#include "common/context.h"

namespace kelvo::link {

Stopwatch::Stopwatch(const Clock& clock) : clock_(&clock), last_(clock.tickMs()) {}

int64_t Stopwatch::elapsedMs() {
    const int64_t now = clock_->tickMs();
    if (now > last_) elapsed_ += now - last_;
    last_ = now;
    return elapsed_;
}

void waitOut(Context& ctx, Stopwatch& since, Ms wait) {
    for (int64_t left = since.remainingMs(wait); left > 0; left = since.remainingMs(wait)) {
        if (ctx.port.bytesWaiting() > 0) ctx.port.readAll();
        ctx.events.idle(ctx.clock.tickMs() + left);
    }
}

void waitFor(Context& ctx, Ms wait) {
    Stopwatch since(ctx.clock);
    waitOut(ctx, since, wait);
}

bool waitForBytes(Context& ctx, int count, Stopwatch& since, Ms wait) {
    for (;;) {
        if (ctx.port.bytesWaiting() >= count) return true;
        const int64_t left = since.remainingMs(wait);
        if (left <= 0) return false;
        ctx.events.idle(ctx.clock.tickMs() + left);
    }
}

}  // namespace kelvo::link
