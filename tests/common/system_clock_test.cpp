// The standard-library clock and pump. Only lower bounds: a loaded machine may sleep
// longer, never shorter.
#include "common/system_clock.h"

#include <gtest/gtest.h>

#include "support/silent_port.h"

namespace kelvo {
namespace {

struct PortWithArrival : test::SilentPort {
    std::optional<int64_t> ns, ms;
    std::optional<int64_t> nextArrivalNs() const override { return ns; }
    std::optional<int64_t> nextArrivalMs() const override { return ms; }
};

TEST(SleepingEventPump, WakesNotBeforeTheDeadlineTheByteOrTheBlindSleep) {
    SystemClock clock;
    const int64_t before = clock.tickNs();
    EXPECT_LE(before / 1'000'000, clock.tickMs());
    EXPECT_LE(clock.tickMs(), clock.tickNs() / 1'000'000);

    PortWithArrival port;
    SleepingEventPump pump(clock, &port);
    const int64_t far = clock.tickNs() + 60'000'000'000;
    port.ns = clock.tickNs() + 3'000'000;
    pump.idleNs(far);
    EXPECT_GE(clock.tickNs(), *port.ns);
    port.ns.reset();
    port.ms = clock.tickMs() + 2;
    pump.idleNs(far);
    EXPECT_GE(clock.tickMs(), *port.ms);
    port.ms = clock.tickMs() + 60'000;
    const int64_t deadline = clock.tickNs() + 2'500'000;  // between two milliseconds
    pump.idleNs(deadline);
    EXPECT_GE(clock.tickNs(), deadline);

    SleepingEventPump blind(clock);
    const int64_t start = clock.tickMs();
    blind.idle(start + 60'000);
    EXPECT_GE(clock.tickMs(), start + SleepingEventPump::kMaxBlindSleepMs);
}

// A local time shown to the second reads back as that second; text with more after it does not.
TEST(LocalTime, TextReadsBackToTheSecond) {
    const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    const char* format = "%Y-%m-%d %H:%M:%S";
    const auto parsed = ParseLocalTime(LocalTimeText(now, format), format);
    EXPECT_TRUE(parsed && *parsed == now) << LocalTimeText(now, format);
    EXPECT_FALSE(ParseLocalTime(LocalTimeText(now, format) + "x", format));
}

}  // namespace
}  // namespace kelvo
