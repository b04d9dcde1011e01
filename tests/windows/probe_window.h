#pragma once
// A window with the shared shape only; its read, write and poll record that they ran.

#include <QLineEdit>
#include <functional>
#include <string>

#include "common/context.h"
#include "windows/sensor_window.h"

namespace kelvo::test {

class ProbeWindow : public SensorWindow {
public:
    using SensorWindow::SensorWindow;

    bool FormUpdateInit() override { return true; }
    bool FormUpdate() override {
        ++updates;
        return true;
    }
    bool FormRead() override {
        ++reads;
        return true;
    }
    bool FormUpdateM() override { return true; }
    bool ActionSensorReadM() override {
        ++polls;
        if (pollFails) ctx_.ErrorText = "No answer from the sensor";
        return !pollFails;
    }
    bool ActionSensorRead() override {
        ++sensorReads;
        if (duringRead) duringRead();
        if (!readError.empty()) ctx_.ErrorText = readError;
        return readError.empty();
    }
    bool ActionSensorWrite() override {
        ++sensorWrites;
        return true;
    }
    void addEditable(QLineEdit* field, FieldCheck check = {}) {
        makeEditable(field, std::move(check));
    }

    int updates = 0, reads = 0, polls = 0, sensorReads = 0, sensorWrites = 0;
    bool pollFails = false;
    std::string readError;
    std::function<void()> duringRead;
};

}  // namespace kelvo::test
