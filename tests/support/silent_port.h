#pragma once
// A serial port with nothing on the other end: opens, records what is sent, never answers.

#include "common/platform.h"

namespace kelvo::test {

class SilentPort : public SerialPort {
public:
    void setPortName(const std::string& name) override { name_ = name; }
    std::string portName() const override { return name_; }
    bool open() override {
        ++opens;
        open_ = openable;
        return open_;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    int bytesWaiting() override { return 0; }
    Bytes readAll() override { return {}; }
    bool write(const Bytes& bytes) override {
        sent.insert(sent.end(), bytes.begin(), bytes.end());
        return open_;
    }
    void setDtr(bool) override {}
    std::string errorString() const override { return openable ? "" : "Permission denied"; }

    bool openable = true;
    int opens = 0;
    Bytes sent;

private:
    std::string name_ = "1";
    bool open_ = false;
};

}  // namespace kelvo::test
