// The virtual sensor's physics answers calibration words the way the calibration
// procedures expect: zero gas after a zero calibration reads zero, and a span fit of the
// table reads the span gas.
#include "virtualsensor/sensor_physics.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/channels.h"
#include "model/identification.h"
#include "support/virtual_sensor_rig.h"

namespace kelvo::virtualsensor {
namespace {

using test::VirtualSensorRig;

// A big-endian word of the EEPROM or the RAM.
template <typename Memory>
double wordAt(const Memory& bytes, int a) {
    return bytes[a] * 256.0 + bytes[a + 1];
}
template <typename Memory>
void putWord(Memory& bytes, int a, double value) {
    const long word = std::lround(value);
    bytes[a] = static_cast<uint8_t>(word >> 8);
    bytes[a + 1] = static_cast<uint8_t>(word & 0xFF);
}

double co2Of(SensorMemory& m, int address, int64_t nowMs = 0) {
    UpdateLiveValues(m, nowMs);
    return wordAt(m.ram, address);
}

TEST(SensorPhysics, ValuesDriftSlowlyInRoomAir) {
    SensorMemory m = *FactoryImage(6, 0);
    const double first = co2Of(m, 30, 0);
    double low = first, high = first;
    for (int64_t ms = 0; ms <= 20 * 60 * 1000; ms += 2000) {
        const double value = co2Of(m, 30, ms);
        low = std::min(low, value);
        high = std::max(high, value);
    }
    EXPECT_GT(high - low, 20);
    EXPECT_LT(high - low, 80);
    EXPECT_NEAR(co2Of(m, 30, 2000), co2Of(m, 30, 4000), 3);
}

TEST(SensorPhysics, ZeroCalibrationWordTakesEffect) {
    SensorMemory m = *FactoryImage(6, 0);
    m.gasPpm = 0;
    putWord(m.eeprom, 46, 29000);  // an aged zero word
    UpdateLiveValues(m, 0);
    EXPECT_GT(wordAt(m.ram, 30) - 5000, 50);
    // What the zero calibration computes: Z = 61440 * 2048 / R.
    const double ratio = wordAt(m.ram, 72);
    putWord(m.eeprom, 46, std::trunc(125829120 / ratio));
    EXPECT_NEAR(co2Of(m, 30) - 5000, 0, 2);
}

TEST(SensorPhysics, Platform5SpanWordTakesEffect) {
    SensorMemory m = *FactoryImage(5, 0);
    m.gasPpm = 1000;
    putWord(m.ram, 138, 1900);  // a span word off by 7 %
    UpdateLiveValues(m, 0);
    EXPECT_GT(std::abs(wordAt(m.ram, 22) - 6000), 40);
    // The platform-5 span calibration: E is where the table puts the span gas.
    const Platform5Model p = platform5Model(231);
    const auto table = BuildTableEntries(p.l, p.m, p.o, p.tt, p.u, p.start, {});
    const double e = InterpolateToLinear(*table, 6000);
    const double z = wordAt(m.ram, 130);
    const double r = wordAt(m.ram, 70);
    const double a = (61440 - e) * 2048 / (61440 - z * r / 2048);
    putWord(m.ram, 138, a);  // no temperature term on the factory sensor
    EXPECT_NEAR(co2Of(m, 22), 6000, 3);
}

// The curve fit of platforms 6 and 61, as the span calibration does it, applied to the
// memory: the table then reads the span gas, and a second pass tightens it.
void spanFit(SensorMemory& m, int table, int zeroAddress, double n, double spanRaw,
             const GasModel& model) {
    UpdateLiveValues(m, 0);
    const double z = wordAt(m.eeprom, zeroAddress);
    const double r = wordAt(m.ram, m.platform == 6 ? 72 : 40);
    const double q0 = 61440 - (61440 - z * r / 2048) * n;
    const double q = (n - 1 + q0 / 61440) / n;
    const double power = std::log(q) / std::log(model.at(spanRaw - 5000));
    const int base = 308 + 34 * table;
    for (int p = 0; p <= 14; ++p) {
        const double target = (n - 1 + p * 4096 / 61440.0) / n;
        double low = 0, high = 9999;
        for (int k = 0; k < 60; ++k) {
            const double mid = (low + high) / 2;
            (std::pow(model.at(mid), power) > target ? low : high) = mid;
        }
        putWord(m.eeprom, base + 2 * p, std::trunc(low) + 5000);
    }
    putWord(m.eeprom, base + 30, 5000);
    putWord(m.eeprom, base + 32, 2 * 5000 - wordAt(m.eeprom, base + 28));
}

TEST(SensorPhysics, SpanFitConvergesOnPlatforms6And61) {
    struct Case {
        int platform, version, table, zero, valueAddress;
        double n;
        GasModel model;
    };
    for (const Case& c : {Case{6, 0, 4, 46, 30, 1, gasModelOfKind(1)},
                          Case{61, 1, 4, 46, 22, 2, gasModelOfKind(9)}}) {
        SCOPED_TRACE(c.platform);
        SensorMemory m = *FactoryImage(c.platform, c.version);
        // A detector that has aged: its table reads 10 % low at 1500 ppm.
        const GasModel aged = c.model;
        const TableEntries worn = co2Table(aged, 1.15, static_cast<int>(c.n), 5000);
        for (int i = 0; i < kTableEntries; ++i)
            putWord(m.eeprom, 308 + 34 * c.table + 2 * i, worn[i]);
        m.gasPpm = 1500;
        EXPECT_GT(std::abs(co2Of(m, c.valueAddress) - 6500), 50);
        double target = 6500;
        spanFit(m, c.table, c.zero, c.n, target, c.model);
        const double first = co2Of(m, c.valueAddress);
        EXPECT_NEAR(first, 6500, 60);  // the table is straight between its points
        target += 6500 - first;
        spanFit(m, c.table, c.zero, c.n, target, c.model);
        EXPECT_NEAR(co2Of(m, c.valueAddress), 6500, 5);
    }
}

TEST(SensorPhysics, TemperatureFollowsItsTableAndOffsetWord) {
    SensorMemory m6 = *FactoryImage(6, 0);
    m6.airTemperature = 21.0;
    EXPECT_EQ(co2Of(m6, 12), 5000 + 2100);
    // A temperature calibration moves every entry of table 0 by the difference.
    for (int i = 0; i < kTableEntries; ++i)
        putWord(m6.eeprom, 308 + 2 * i, wordAt(m6.eeprom, 308 + 2 * i) + 50);
    EXPECT_EQ(co2Of(m6, 12), 5000 + 2150);

    SensorMemory m5 = *FactoryImage(5, 1);
    m5.airTemperature = 21.0;
    putWord(m5.ram, 128, 32768 - 30);
    EXPECT_EQ(co2Of(m5, 20), 5000 + 2070);
}

TEST(SensorPhysics, FactoryImagesStayInsideTheirMemories) {
    for (int p : {5, 6, 61, 7})
        for (int v = 0; v <= 5; ++v)
            if (auto m = FactoryImage(p, v)) {
                EXPECT_EQ(m->eeprom.size(), p == 7 ? 1024u : 512u);
                UpdateLiveValues(*m, 123456789);
            }
    SensorMemory truncated = *FactoryImage(7, 1);
    truncated.eeprom.resize(100);
    UpdateLiveValues(truncated, 0);  // a damaged memory is left alone
}

}  // namespace
}  // namespace kelvo::virtualsensor
