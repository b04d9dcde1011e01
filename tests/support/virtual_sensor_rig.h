#pragma once
// A test Context whose port is a virtual sensor on the test's virtual clock.

#include "support/test_context.h"
#include "virtualsensor/virtual_sensor.h"

namespace kelvo::test {

struct VirtualSensorRig {
    explicit VirtualSensorRig(virtualsensor::SensorMemory memory,
                              virtualsensor::LineTiming timing = virtualsensor::LineTiming::Instant)
        // The context only keeps the sensor's address until the sensor exists.
        : t(&sensor), sensor(t.clock, std::move(memory), timing) {}
    explicit VirtualSensorRig(int platform, int version = 0,
                              virtualsensor::LineTiming timing = virtualsensor::LineTiming::Instant)
        : VirtualSensorRig(*virtualsensor::FactoryImage(platform, version), timing) {}

    Context& ctx() { return t.ctx; }

    TestContext t;
    virtualsensor::VirtualSensor sensor;
};

}  // namespace kelvo::test
