// Whatever a master sends, the virtual sensor must neither crash nor reach outside its
// memories. The input picks the platform and mixes line bytes with pauses and reads.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "virtualsensor/virtual_sensor.h"

namespace {

class FuzzClock : public kelvo::Clock {
public:
    int64_t tickMs() const override { return tick; }
    double secondsOfDay() const override { return 0; }
    int64_t tick = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvo::virtualsensor;
    if (size < 2) return 0;
    constexpr int kPlatforms[] = {5, 6, 61, 7};
    FuzzClock clock;
    auto memory = FactoryImage(kPlatforms[data[0] % 4], data[0] / 4 % 3);
    if (!memory) return 0;
    VirtualSensor sensor(clock, *memory, data[1] & 1 ? LineTiming::RealTime : LineTiming::Instant);
    if (data[1] & 2) sensor.answer134(true);
    if (data[1] & 4) sensor.corruptChecksumOnce();
    sensor.open();
    for (size_t i = 2; i < size; ++i) {
        // 0xFF escapes a control byte: pause, read, or unlock the EEPROM by hand.
        if (data[i] == 0xFF && i + 1 < size) {
            const uint8_t control = data[++i];
            if (control < 200)
                clock.tick += control;
            else if (control < 230)
                sensor.readAll();
            else
                sensor.write({sensor.protocol() == 1 ? uint8_t{144} : uint8_t{177}});
            continue;
        }
        sensor.write({data[i]});
    }
    clock.tick += 1000;
    sensor.readAll();
    const size_t eepromSize = sensor.memory().platform == 7 ? 1024 : 512;
    if (sensor.memory().eeprom.size() != eepromSize) std::abort();
    return 0;
}
