#include "cli/stop_signals.h"

#include <csignal>

#include "common/context.h"

namespace kelvo::cli {
namespace {

volatile std::sig_atomic_t requested = 0;

extern "C" void onStopSignal(int signal) {
    requested = signal;
    // The second one is not caught: it ends the program at once.
    std::signal(signal, SIG_DFL);
}

}  // namespace

void installStopSignals() {
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
#ifdef SIGHUP
    std::signal(SIGHUP, onStopSignal);
#endif
}

int stopSignal() {
    return requested;
}

void StoppingPump::takeStopRequest() {
    if (taken_ || requested == 0 || !ctx_) return;
    taken_ = true;
    if (ctx_->ErrorText.empty()) cancel(*ctx_);
}

void StoppingPump::idle(int64_t deadlineMs) {
    takeStopRequest();
    inner_.idle(deadlineMs);
    takeStopRequest();
}

void StoppingPump::idleNs(int64_t deadlineNs) {
    takeStopRequest();
    inner_.idleNs(deadlineNs);
    takeStopRequest();
}

void StoppingPump::processEvents() {
    takeStopRequest();
    inner_.processEvents();
}

}  // namespace kelvo::cli
