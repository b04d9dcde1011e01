#pragma once
// Several virtual sensors on one line, as behind a central unit in slave mode: every byte
// the master sends reaches each of them, each answers only its own network ID, and their
// answers share the line back. The port name "virtual:net" opens the demo network.

#include <memory>
#include <string>
#include <vector>

#include "common/platform.h"
#include "virtualsensor/virtual_sensor.h"

namespace kelvo::virtualsensor {

struct NetworkMember {
    int id;
    int platform;
    int version;
};

// Platforms 5, 6, 61 and 7 at network IDs 1, 2, 3 and 4, and platform 6 again at 5 and 6.
const std::vector<NetworkMember>& DemoNetwork();

class VirtualNetwork : public SerialPort {
public:
    VirtualNetwork(const Clock& clock, const std::vector<NetworkMember>& members,
                   LineTiming timing = LineTiming::Instant);

    void setPortName(const std::string& name) override { name_ = name; }
    std::string portName() const override { return name_; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return open_; }
    int bytesWaiting() override;
    Bytes readAll() override;
    bool write(const Bytes& bytes) override;
    void setDtr(bool on) override;
    std::string errorString() const override { return {}; }
    std::optional<int64_t> nextArrivalMs() const override;
    std::optional<int64_t> nextArrivalNs() const override;

    void setRecording(bool on);
    // The sensor at a network ID; nullptr when none is there.
    VirtualSensor* sensorAt(int id);
    const std::vector<std::unique_ptr<VirtualSensor>>& sensors() const { return sensors_; }

private:
    std::string name_;
    bool open_ = false;
    std::vector<std::unique_ptr<VirtualSensor>> sensors_;
};

}  // namespace kelvo::virtualsensor
