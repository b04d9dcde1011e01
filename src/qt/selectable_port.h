#pragma once
// The one port object a program keeps for its life. Its name decides, at each open, what
// is behind it: a serial device through QSerialPort, or a built-in virtual sensor timed
// like a real 9600-baud line.

#include <memory>

#include "common/platform.h"
#include "qt/qt_serial_port.h"
#include "virtualsensor/virtual_network.h"
#include "virtualsensor/virtual_sensor.h"

namespace kelvo::qt {

class SelectablePort : public SerialPort {
public:
    explicit SelectablePort(const Clock& clock);
    ~SelectablePort() override;

    void setPortName(const std::string& name) override;
    std::string portName() const override { return name_; }

    bool open() override;
    void close() override;
    bool isOpen() const override { return active_ && active_->isOpen(); }

    int bytesWaiting() override { return active_ ? active_->bytesWaiting() : 0; }
    Bytes readAll() override { return active_ ? active_->readAll() : Bytes{}; }
    bool write(const Bytes& bytes) override;
    void setDtr(bool on) override {
        if (active_) active_->setDtr(on);
    }
    std::string errorString() const override;
    std::optional<int64_t> nextArrivalMs() const override {
        return active_ ? active_->nextArrivalMs() : std::nullopt;
    }
    std::optional<int64_t> nextArrivalNs() const override {
        return active_ ? active_->nextArrivalNs() : std::nullopt;
    }

    // Whether an open has ever succeeded: a port that never opened is the cause of whatever
    // a program could not do with it.
    bool everOpened() const { return everOpened_; }

    // The virtual sensor behind a "virtual:" name once opened; it keeps its memory for as
    // long as the name stays, like a sensor that stays connected.
    virtualsensor::VirtualSensor* virtualSensor() { return virtual_.get(); }
    // The same for "virtual:net".
    virtualsensor::VirtualNetwork* virtualNetwork() { return network_.get(); }

private:
    const Clock& clock_;
    std::string name_;
    std::string error_;
    QtSerialPort serial_;
    std::unique_ptr<virtualsensor::VirtualSensor> virtual_;
    std::unique_ptr<virtualsensor::VirtualNetwork> network_;
    std::string virtualName_;
    SerialPort* active_ = nullptr;
    bool everOpened_ = false;

    bool openTarget();
};

}  // namespace kelvo::qt
