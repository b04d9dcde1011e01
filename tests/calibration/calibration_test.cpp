#include "calibration/calibration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "calibration/calibration_check.h"
#include "common/values.h"
#include "support/virtual_sensor_rig.h"

namespace kelvo {
namespace {

using test::VirtualSensorRig;

int sensorEeWord(const VirtualSensorRig& rig, int at) {
    return rig.sensor.memory().eeprom[at] * 256 + rig.sensor.memory().eeprom[at + 1];
}

void setRamWord(VirtualSensorRig& rig, int at, int value) {
    rig.sensor.memory().ram[at] = static_cast<uint8_t>(value >> 8);
    rig.sensor.memory().ram[at + 1] = static_cast<uint8_t>(value & 0xFF);
}

// --- O2 (the platform-61 window, on a platform-7 sensor with its large EEPROM)
// ----------------------------------------------------------------------

TEST(CalO2Zero, StoresTheAverageLessTenAfterWaitingOutTheSamples) {
    VirtualSensorRig rig(7, 1);
    rig.sensor.memory().oxygenPercent = 0;  // the bare cell reads 4000
    const int64_t start = rig.t.clock.tickMs();
    ASSERT_TRUE(CalO2Zero(rig.ctx())) << rig.ctx().ErrorText;
    EXPECT_EQ(sensorEeWord(rig, 760), 3990);
    // 3 s to settle, then four gaps of 2 s from one sample's start to the next, the reads
    // within them, and the settling before the check; the exchanges outside the gaps take
    // the same time on every run of the virtual line.
    EXPECT_EQ(rig.t.clock.tickMs() - start, 11000 + kCalibrationSettleMs + 190);
    EXPECT_FALSE(rig.sensor.isOpen());
    // Four samples of 4000 and one of 4002 average 4000.4, which the word rounds away; the
    // first sample is answered at the last of its 100 attempts.
    VirtualSensorRig slow(7, 1);
    slow.sensor.memory().oxygenPercent = 0;
    bool refusing = false;  // outside the handler, which the pump copies
    slow.t.pump.onEvents([&] {
        const auto& asked = slow.sensor.requests();
        const auto samples = std::count_if(asked.begin(), asked.end(), [](const Bytes& f) {
            return f[0] == 130 && f[1] == 38;
        });
        if (samples == 99 + 4 || samples == 99 + 5)  // the fifth, then the cell's own again
            setRamWord(slow, 38, samples == 99 + 4 ? 4002 : 4000);
        if (refusing || sensorEeWord(slow, 760) != 0 || slow.sensor.isOpen()) return;
        refusing = true;
        slow.sensor.refuseNext(99);
    });
    ASSERT_TRUE(CalO2Zero(slow.ctx())) << slow.ctx().ErrorText;
    EXPECT_EQ(sensorEeWord(slow, 760), 3990);
}

// Cancelled in the first write, while settling or between two samples: it stops there and
// puts the zero word back (the last 100 ms). A first write the sensor refuses ends it at
// once. A sample the sensor stops answering ends it the same way, once the read has given
// up (100 attempts), without waiting out the samples left; samples out of range after them.
// The EEPROM is locked again whatever ends it.
TEST(CalO2Zero, CancellingStopsWhereverItComes) {
    const auto firstSample = [](const VirtualSensorRig& r) {
        const auto& asked = r.sensor.requests();
        const auto sample = [](const Bytes& f) { return f[0] == 130 && f[1] == 38; };
        return std::any_of(asked.begin(), asked.end(), sample);
    };
    const struct {
        const char* when;
        std::function<bool(VirtualSensorRig&, int64_t elapsedMs)> now;
        int64_t endsBeforeMs;
        const char* message = "Avbryt";
    } cases[] = {
        {"writing", [](const VirtualSensorRig&, int64_t) { return true; }, 100},
        {"settling",  // the cleared word written and the port let go
         [](const VirtualSensorRig& r, int64_t) {
             return sensorEeWord(r, 760) == 0 && !r.sensor.isOpen();
         },
         3200},
        {"between samples",  // the first sample read (RAM 38) and the port let go
         [&](const VirtualSensorRig& r, int64_t) { return !r.sensor.isOpen() && firstSample(r); },
         5200},
        {"a sample unanswered",
         [&, refused = false](VirtualSensorRig& r, int64_t) mutable {
             if (!refused && (refused = firstSample(r))) r.sensor.refuseNext(100);
             return false;
         },
         5200 + 21400 + 2000, "Can't read from sensor. The previous calibration was put back."},
        {"the cleared word refused",
         [](VirtualSensorRig& r, int64_t) { return r.sensor.refuseWrites(true), false; }, 300,
         "Can't save to sensor"},
        {"samples out of range",
         [](VirtualSensorRig& r, int64_t) { return setRamWord(r, 38, 3000), false; }, 12000,
         "O2 Zero calibration failed. The previous calibration was put back."},
    };
    for (const auto& c : cases) {
        VirtualSensorRig rig(7, 1);
        rig.sensor.memory().oxygenPercent = 0;
        rig.sensor.memory().eeprom[760] = 0x12;
        const int before = sensorEeWord(rig, 760);
        const int64_t start = rig.t.clock.tickMs();
        rig.t.pump.onEvents([&] {
            if (c.now(rig, rig.t.clock.tickMs() - start)) rig.ctx().ErrorText = "Avbryt";
        });
        EXPECT_FALSE(CalO2Zero(rig.ctx())) << c.when;
        EXPECT_EQ(rig.ctx().ErrorText, c.message) << c.when;
        EXPECT_LT(rig.t.clock.tickMs() - start, c.endsBeforeMs) << c.when;
        EXPECT_EQ(sensorEeWord(rig, 760), before) << c.when;
        EXPECT_TRUE(rig.sensor.eepromLocked()) << c.when;
    }
}

// --- Platform 7 ----------------------------------------------------------------------------

// The zero word is 61440 / ratio * 2048, both its bytes, written through a port held from
// the ratio's read into the write (letting it go between them would make a sixth opening).
// A sensor refusing the write, a ratio of 0 or one too small for the word fails and keeps
// the word it had.
TEST(CalPlatform7, ZeroStoresTheRatioWordAndReturnsTheWritesResult) {
    const auto tooLarge = [](double word) {
        return "The computed zero word is " + NumberText(word) +
               ": the sensor holds 0 to 65535. Nothing was sent.";
    };
    for (const auto& [ratio, refuses, word, message] :
         {std::tuple{3000, false, 41943, std::string()},
          {1921, false, 65501, ""},
          {1920, false, -1, tooLarge(65536)},
          {1, false, -1, tooLarge(61440.0 * 2048)},
          {4096, true, -1, "Can't save to sensor"},
          {0, false, -1, "Calibration not possible with the sensor's present readings."}}) {
        VirtualSensorRig rig(7, 1);
        setRamWord(rig, 40, ratio);
        rig.sensor.refuseWrites(refuses);
        const int before = sensorEeWord(rig, 14), opened = rig.sensor.opens();
        EXPECT_EQ(CalCO2SinglePoint(rig.ctx(), kPlatformChannel, false, kCalZero, ""), word >= 0)
            << rig.ctx().ErrorText;
        EXPECT_EQ(rig.ctx().ErrorText, message) << ratio;
        EXPECT_EQ(sensorEeWord(rig, 14), word >= 0 ? word : before) << ratio;
        EXPECT_TRUE(word < 0 || rig.sensor.opens() - opened == 5);
    }
}

}  // namespace
}  // namespace kelvo
