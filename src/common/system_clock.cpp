#include "common/system_clock.h"

#include <algorithm>
#include <ctime>
#include <thread>

namespace kelvo {

int64_t SystemClock::tickMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start_).count();
}

double SystemClock::secondsOfDay() const {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    const auto fraction = now - std::chrono::system_clock::from_time_t(seconds);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
           std::chrono::duration<double>(fraction).count();
}

void SleepingEventPump::idle(int64_t deadlineMs) {
    const int64_t now = clock_.tickMs();
    int64_t wake = std::min(deadlineMs, now + kMaxBlindSleepMs);
    if (port_) {
        if (const auto next = port_->nextArrivalMs()) wake = std::min(deadlineMs, *next);
    }
    if (wake <= now) return;
    std::this_thread::sleep_until(clock_.timeOfTick(wake));
}

}  // namespace kelvo
