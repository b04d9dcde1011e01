#pragma once
// Stand-ins for the link's port, clock, event pump and prompter, for code that works on
// an image whose bytes are all known and so never talks to a sensor (the virtual sensor's
// factory settings, benchmarks of the model). A port that opens would hide a read that
// should not happen: this one never does.

#include <optional>
#include <string>

#include "common/platform.h"

namespace kelvo {

class NoPort : public SerialPort {
public:
    void setPortName(const std::string&) override {}
    std::string portName() const override { return {}; }
    bool open() override { return false; }
    void close() override {}
    bool isOpen() const override { return false; }
    int bytesWaiting() override { return 0; }
    Bytes readAll() override { return {}; }
    bool write(const Bytes&) override { return false; }
    void setDtr(bool) override {}
    std::string errorString() const override { return "no port: the image holds every byte"; }
};

class StillClock : public Clock {
public:
    int64_t tickMs() const override { return 0; }
    double secondsOfDay() const override { return 0; }
};

class NoPump : public EventPump {
public:
    void idle(int64_t) override {}
    void processEvents() override {}
};

class NoPrompter : public Prompter {
public:
    void message(const std::string&, Icon) override {}
    std::string input(const std::string&) override { return {}; }
    std::optional<std::string> openFile(const std::string&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const std::string&) override { return std::nullopt; }
};

}  // namespace kelvo
