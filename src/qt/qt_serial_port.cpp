#include "qt/qt_serial_port.h"

namespace kelvo::qt {

QtSerialPort::QtSerialPort() {
    QObject::connect(&port_, &QSerialPort::errorOccurred,
                     [this](QSerialPort::SerialPortError error) { handleError(error); });
}

QtSerialPort::~QtSerialPort() {
    QObject::disconnect(&port_, nullptr, nullptr, nullptr);
    port_.close();
}

void QtSerialPort::setPortName(const std::string& name) {
    if (name == name_) return;
    close();
    name_ = name;
}

bool QtSerialPort::open() {
    if (port_.isOpen()) return true;
    error_.clear();
    port_.setPortName(QString::fromStdString(name_));
    if (!port_.open(QIODevice::ReadWrite)) {
        if (error_.empty()) error_ = port_.errorString().toStdString();
        return false;
    }
    const bool configured =
        port_.setBaudRate(QSerialPort::Baud9600) && port_.setDataBits(QSerialPort::Data8) &&
        port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop) &&
        port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        error_ = port_.errorString().toStdString();
        port_.close();
        return false;
    }
    return true;
}

void QtSerialPort::close() {
    if (port_.isOpen()) port_.close();
}

int QtSerialPort::bytesWaiting() {
    return port_.isOpen() ? static_cast<int>(port_.bytesAvailable()) : 0;
}

Bytes QtSerialPort::readAll() {
    if (!port_.isOpen()) return {};
    const QByteArray data = port_.readAll();
    return Bytes(data.begin(), data.end());
}

bool QtSerialPort::write(const Bytes& bytes) {
    if (!port_.isOpen()) {
        if (error_.empty()) error_ = "Port not open";
        return false;
    }
    const QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                          static_cast<qsizetype>(bytes.size()));
    if (port_.write(data) != data.size()) return false;
    // Out on the line now, not when the event loop next gets round to it.
    port_.flush();
    return port_.isOpen();
}

void QtSerialPort::setDtr(bool on) {
    // Pseudo-terminals and many USB adapters have no DTR line; the link does without.
    if (port_.isOpen() && !port_.setDataTerminalReady(on)) port_.clearError();
}

void QtSerialPort::handleError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::NoError:
        case QSerialPort::UnsupportedOperationError:
        case QSerialPort::TimeoutError:
            return;
        case QSerialPort::ResourceError:
            // The adapter was unplugged: say so and let the next open fail cleanly.
            error_ = port_.errorString().toStdString();
            port_.clearError();
            if (port_.isOpen()) port_.close();
            return;
        default:
            error_ = port_.errorString().toStdString();
            return;
    }
}

}  // namespace kelvo::qt
