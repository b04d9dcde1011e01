#include "qt/selectable_port.h"

#include "qt/port_names.h"

namespace kelvo::qt {

SelectablePort::SelectablePort(const Clock& clock) : clock_(clock) {}

SelectablePort::~SelectablePort() {
    close();
}

void SelectablePort::setPortName(const std::string& name) {
    if (name == name_) return;
    close();
    name_ = name;
}

bool SelectablePort::open() {
    const bool opened = openTarget();
    everOpened_ = everOpened_ || opened;
    return opened;
}

bool SelectablePort::openTarget() {
    if (isOpen()) return true;
    error_.clear();
    const PortTarget target = resolvePortName(name_);
    switch (target.kind) {
        case PortTarget::Kind::Invalid:
            active_ = nullptr;
            error_ = target.error;
            return false;
        case PortTarget::Kind::Serial:
            active_ = &serial_;
            serial_.setPortName(target.device);
            return serial_.open();
        case PortTarget::Kind::VirtualNetwork:
            if (!network_) {
                network_ = std::make_unique<virtualsensor::VirtualNetwork>(
                    clock_, virtualsensor::DemoNetwork(), virtualsensor::LineTiming::RealTime);
                network_->setPortName(name_);
                network_->setRecording(false);
            }
            active_ = network_.get();
            return network_->open();
        case PortTarget::Kind::Virtual:
            break;
    }
    if (!virtual_ || virtualName_ != name_) {
        auto memory = virtualsensor::FactoryImage(target.platform, target.version);
        if (!memory) {
            active_ = nullptr;
            error_ = "There is no virtual sensor of platform " + std::to_string(target.platform) +
                     " version " + std::to_string(target.version);
            return false;
        }
        virtual_ = std::make_unique<virtualsensor::VirtualSensor>(
            clock_, std::move(*memory), virtualsensor::LineTiming::RealTime);
        virtual_->setPortName(name_);
        virtual_->setRecording(false);
        virtualName_ = name_;
    }
    active_ = virtual_.get();
    return virtual_->open();
}

void SelectablePort::close() {
    if (active_) active_->close();
}

bool SelectablePort::write(const Bytes& bytes) {
    if (!active_) {
        if (error_.empty()) error_ = "Port not open";
        return false;
    }
    return active_->write(bytes);
}

std::string SelectablePort::errorString() const {
    if (!error_.empty() || !active_) return error_;
    return active_->errorString();
}

}  // namespace kelvo::qt
