#pragma once
// SIGINT, SIGTERM and SIGHUP as a stop request: the running action stops at the next block
// boundary, as the windows' Cancel does, so the EEPROM is locked again and the action is
// recorded before kelvo-cli ends. A second signal ends it at once.

#include "common/platform.h"

namespace kelvo {
struct Context;
}

namespace kelvo::cli {

void installStopSignals();
// The signal that asked to stop, or 0.
int stopSignal();

// Passes the waits on, and turns a stop request into the cancel marker once, so the lock
// that follows a stopped write is not stopped in its turn.
class StoppingPump : public EventPump {
public:
    explicit StoppingPump(EventPump& inner) : inner_(inner) {}
    void attach(Context* ctx) { ctx_ = ctx; }

    void idle(int64_t deadlineMs) override;
    void idleNs(int64_t deadlineNs) override;
    void processEvents() override;

private:
    void takeStopRequest();

    EventPump& inner_;
    Context* ctx_ = nullptr;
    bool taken_ = false;
};

}  // namespace kelvo::cli
