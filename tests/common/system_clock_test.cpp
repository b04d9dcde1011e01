// The standard-library clock and pump as the tools without an event loop use them. Only
// lower bounds are checked: a loaded machine may sleep longer, never shorter.
#include "common/system_clock.h"

#include <gtest/gtest.h>

#include <ctime>

#include "support/silent_port.h"

namespace kelvo {
namespace {

struct PortWithArrival : test::SilentPort {
    std::optional<int64_t> ns, ms;
    std::optional<int64_t> nextArrivalNs() const override { return ns; }
    std::optional<int64_t> nextArrivalMs() const override { return ms; }
};

TEST(SystemClock, TicksAgreeAndTheTimeOfDayIsTheLocalOne) {
    SystemClock clock;
    const int64_t before = clock.tickNs();
    const int64_t ms = clock.tickMs();
    EXPECT_LE(before / 1'000'000, ms);
    EXPECT_LE(ms, clock.tickNs() / 1'000'000);

    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const double expected = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    const double seconds = clock.secondsOfDay();
    if (seconds >= expected) {  // not across midnight
        EXPECT_LT(seconds - expected, 2);
    }
}

TEST(SleepingEventPump, WakesNotBeforeTheDeadlineTheByteOrTheBlindSleep) {
    SystemClock clock;
    PortWithArrival port;
    SleepingEventPump pump(clock, &port);
    const int64_t start = clock.tickNs();
    port.ns = start + 3'000'000;
    pump.idleNs(start + 60'000'000'000);
    EXPECT_GE(clock.tickNs(), *port.ns);

    port.ns.reset();
    port.ms = clock.tickMs() + 2;
    pump.idleNs(clock.tickNs() + 60'000'000'000);
    EXPECT_GE(clock.tickMs(), *port.ms);

    // A deadline between two milliseconds is kept as the later one.
    port.ms = clock.tickMs() + 60'000;
    const int64_t deadline = clock.tickNs() + 2'500'000;
    pump.idleNs(deadline);
    EXPECT_GE(clock.tickNs(), deadline);

    SleepingEventPump blind(clock);
    const int64_t blindStart = clock.tickMs();
    blind.idle(blindStart + 60'000);
    EXPECT_GE(clock.tickMs(), blindStart + SleepingEventPump::kMaxBlindSleepMs);
}

}  // namespace
}  // namespace kelvo
