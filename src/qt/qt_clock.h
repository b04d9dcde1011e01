#pragma once
// The program's clocks: a monotonic millisecond tick and the time of day.

#include <QElapsedTimer>

#include "common/platform.h"

namespace kelvo::qt {

class QtClock : public Clock {
public:
    QtClock() { timer_.start(); }
    int64_t tickMs() const override { return timer_.nsecsElapsed() / kNsPerMs; }
    int64_t tickNs() const override { return timer_.nsecsElapsed(); }
    double secondsOfDay() const override;

private:
    QElapsedTimer timer_;
};

}  // namespace kelvo::qt
