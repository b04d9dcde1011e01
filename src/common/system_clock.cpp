#include "common/system_clock.h"

#include <algorithm>
#include <ctime>
#include <iomanip>
#include <sstream>
#include <thread>

namespace kelvo {

std::tm LocalTime(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    return local;
}

std::string LocalTimeText(std::chrono::system_clock::time_point when, const char* format) {
    const std::tm local = LocalTime(when);
    char text[64];
    const size_t length = std::strftime(text, sizeof text, format, &local);
    return std::string(text, length);
}

std::optional<std::chrono::system_clock::time_point> ParseLocalTime(const std::string& text,
                                                                    const char* format) {
    std::tm local{};
    std::istringstream in(text);
    in >> std::get_time(&local, format);
    if (in.fail() || in.peek() != std::char_traits<char>::eof()) return std::nullopt;
    local.tm_isdst = -1;  // whatever the zone held on that day
    const std::time_t seconds = std::mktime(&local);
    if (seconds == -1) return std::nullopt;
    return std::chrono::system_clock::from_time_t(seconds);
}

int64_t SystemClock::tickNs() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Steady::now() - start_).count();
}

double SystemClock::secondsOfDay() const {
    const auto now = std::chrono::system_clock::now();
    const std::tm local = LocalTime(now);
    const auto fraction =
        now - std::chrono::system_clock::from_time_t(std::chrono::system_clock::to_time_t(now));
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
           std::chrono::duration<double>(fraction).count();
}

void SleepingEventPump::idleNs(int64_t deadlineNs) {
    const int64_t deadlineMs = (deadlineNs + kNsPerMs - 1) / kNsPerMs;
    int64_t wakeNs = std::min(deadlineNs, (clock_.tickMs() + kMaxBlindSleepMs) * kNsPerMs);
    if (port_) {
        if (const auto next = port_->nextArrivalNs())
            wakeNs = std::min(deadlineNs, *next);
        else if (const auto nextMs = port_->nextArrivalMs())
            wakeNs = std::min(deadlineMs, *nextMs) * kNsPerMs;
    }
    // A steady clock's sleep_until sleeps once and trusts the system to be punctual; some
    // (Windows timers under wine, say) wake a little early, and a wait that ends before
    // its byte is due reads nothing.
    while (clock_.tickNs() < wakeNs) std::this_thread::sleep_until(clock_.timeOfTickNs(wakeNs));
}

}  // namespace kelvo
