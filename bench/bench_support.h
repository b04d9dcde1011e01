#pragma once
// What every benchmark needs around the code it measures: a prompter that never waits for
// someone to press OK, and the process's own CPU time.

#include <sys/resource.h>

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

// User plus system CPU time of this process so far.
inline double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace kelvo::bench
