#pragma once
// What every benchmark needs around the code it measures: a prompter that never waits for
// someone to press OK, a clock that the virtual sensors' line timing moves, and the
// process's own CPU time.

#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "common/platform.h"

namespace kelvo::bench {

// Messages go to the terminal: a message during a benchmark usually means it measured a
// failure, so they are counted too.
class BenchPrompter : public Prompter {
public:
    void message(const std::string& text, Icon) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        ++messages;
    }
    std::string input(const std::string&) override { return {}; }
    std::optional<std::string> openFile(const std::string&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const std::string&) override { return std::nullopt; }

    int messages = 0;
};

// Virtual time: it stands still while the code works and moves to the next byte's arrival
// when the code waits, so a run measures the line and nothing of this machine's load.
class BenchClock : public Clock {
public:
    int64_t tickMs() const override { return tick; }
    double secondsOfDay() const override { return 43200 + tick / 1000.0; }
    int64_t tick = 1'000'000;
};

// Jumps to the next byte or the deadline, as the virtual pump of the tests does.
class BenchPump : public EventPump {
public:
    BenchPump(BenchClock& clock, const SerialPort& port) : clock_(clock), port_(port) {}
    void idle(int64_t deadline) override {
        int64_t wake = deadline;
        if (auto next = port_.nextArrivalMs(); next && *next < wake) wake = *next;
        clock_.tick = std::max(wake, clock_.tick + 1);
    }
    void processEvents() override {}

private:
    BenchClock& clock_;
    const SerialPort& port_;
};

// User plus system CPU time of this process so far.
inline double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace kelvo::bench
