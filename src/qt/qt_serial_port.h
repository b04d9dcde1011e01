#pragma once
// A real serial port through QSerialPort, set up as the sensor line wants it: 9600 baud,
// 8 data bits, no parity, one stop bit, no flow control.

#include <QSerialPort>

#include "common/platform.h"

namespace kelvo::qt {

class QtSerialPort : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;

    // The device itself ("/dev/ttyUSB0", "COM3"); numbers are resolved by SelectablePort.
    void setPortName(const std::string& name) override;
    std::string portName() const override { return name_; }

    bool open() override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }

    int bytesWaiting() override;
    Bytes readAll() override;
    bool write(const Bytes& bytes) override;
    void setDtr(bool on) override;
    std::string errorString() const override { return error_; }

private:
    void handleError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    std::string name_;
    std::string error_;
};

}  // namespace kelvo::qt
