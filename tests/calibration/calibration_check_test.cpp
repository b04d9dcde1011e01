// Every calibration on a virtual sensor, with random gases, references and faults: it ends
// calibrated and reading its reference, or failed with the sensor's words as they were.
#include "calibration/calibration_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "calibration/calibration.h"
#include "common/values.h"
#include "model/channels.h"
#include "model/identification.h"
#include "support/virtual_sensor_rig.h"

namespace kelvo {
namespace {

using test::VirtualSensorRig;
using Memory = virtualsensor::SensorMemory;

struct Procedure {
    const char* name;
    int platform, version;
    CalQuantity quantity;
    // Puts the sensor into its gas or air and calibrates; gives the reference it aimed at.
    std::function<bool(Context&, Memory&, std::mt19937&, double& reference)> run;
};

double between(std::mt19937& rng, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(rng);
}

bool zero(Context& ctx, Memory& m, std::mt19937&, double& reference) {
    m.gasPpm = reference = 0;
    return CalCO2SinglePoint(ctx, kPlatformChannel, false, kCalZero, "");
}
bool span(Context& ctx, Memory& m, std::mt19937& rng, double& reference) {
    m.gasPpm = between(rng, 500, 1800);
    reference = std::round(*m.gasPpm + between(rng, -150, 150));  // the bottle's label
    const float c = PlatformCO2Channel(ctx);
    const float raw = ParseChannelValue(ctx, NumberText(reference), c, false);
    return GetPlatform(ctx) == kPlatform7 ? CalCO2SpanPlatform7(ctx, raw)
                                          : CalCO2Span(ctx, c, NumberText(raw), false);
}
bool temperature(Context& ctx, Memory& m, std::mt19937& rng, double& reference) {
    m.airTemperature = between(rng, 10, 35);
    reference = std::round(10 * (*m.airTemperature + between(rng, -3, 3))) / 10;
    return CalTemp(ctx, static_cast<float>(reference), kPlatformChannel, false);
}
bool o2Span(Context& ctx, Memory& m, std::mt19937& rng, double& reference) {
    m.oxygenPercent = reference = std::round(between(rng, 17, 22) * 10) / 10;
    return CalO2Span(ctx, ParseChannelValue(ctx, NumberText(reference), 6, false));
}

const std::vector<Procedure> kProcedures = {
    {"zero", 5, 0, CalQuantity::CO2, zero},
    {"zero", 6, 0, CalQuantity::CO2, zero},
    {"zero", 7, 1, CalQuantity::CO2, zero},
    {"other", 61, 1, CalQuantity::CO2,
     [](Context& ctx, Memory& m, std::mt19937& rng, double& reference) {
         m.gasPpm = reference = std::round(between(rng, 500, 1500));
         return CalCO2SinglePoint(ctx, kPlatformChannel, false, kCalOther, NumberText(reference));
     }},
    {"span", 5, 0, CalQuantity::CO2, span},
    {"span", 6, 0, CalQuantity::CO2, span},
    {"span", 61, 1, CalQuantity::CO2, span},
    {"span", 7, 1, CalQuantity::CO2, span},
    {"temperature", 5, 0, CalQuantity::Temperature, temperature},
    {"temperature", 6, 3, CalQuantity::Temperature, temperature},
    {"temperature", 7, 1, CalQuantity::Temperature, temperature},
    {"O2 span", 7, 1, CalQuantity::O2, o2Span},
    {"O2 span", 61, 0, CalQuantity::O2, o2Span},
    {"O2 zero", 7, 1, CalQuantity::O2,
     [](Context& ctx, Memory& m, std::mt19937&, double& reference) {
         m.oxygenPercent = reference = 0;
         return CalO2Zero(ctx);
     }},
};

// What a calibration may change: the whole EEPROM, and platform 5's RAM calibration words
// and references (the output levels between them are measured).
std::vector<uint8_t> calibrationBytes(const Memory& m) {
    std::vector<uint8_t> bytes = m.eeprom;
    if (m.platform != kPlatform5) return bytes;
    bytes.insert(bytes.end(), m.ram.begin() + 128, m.ram.begin() + 146);
    bytes.insert(bytes.end(), m.ram.begin() + 214, m.ram.begin() + 218);
    return bytes;
}

TEST(CalibrationProperty, EndsCalibratedAndReadingItsReferenceOrAsItWas) {
    std::mt19937 rng(20261214);
    int verified = 0, putBack = 0;
    for (int run = 0; run < 150; ++run) {
        const Procedure& p = kProcedures[rng() % kProcedures.size()];
        VirtualSensorRig rig(p.platform, p.version);
        Context& ctx = rig.ctx();
        ctx.AppDir = KELVO_SOURCE_DIR "/data";
        const int fault = run % 3;  // none, cancel, refusals the retries outlast or not
        const size_t faultAt = std::uniform_int_distribution<size_t>(0, 30)(rng);
        const int refusals = std::uniform_int_distribution<int>(3, 12)(rng);
        bool struck = fault == 0;
        rig.t.pump.onEvents([&] {
            if (struck || rig.sensor.requests().size() < faultAt) return;
            struck = true;
            if (fault == 1) cancel(ctx);
            if (fault == 2) rig.sensor.refuseNext(refusals);
        });
        const auto before = calibrationBytes(rig.sensor.memory());
        double reference = 0;
        const bool ok = p.run(ctx, rig.sensor.memory(), rng, reference);
        SCOPED_TRACE(std::string(p.name) + " on " + std::to_string(p.platform) + ", run " +
                     std::to_string(run) + ": " + ctx.ErrorText);
        EXPECT_TRUE(rig.sensor.eepromLocked());
        if (!ok) {
            EXPECT_EQ(calibrationBytes(rig.sensor.memory()), before);
            putBack += calibrationBytes(rig.sensor.memory()) == before;
            continue;
        }
        ctx.ErrorText.clear();
        rig.t.clock.advance(kCalibrationSettleMs);
        const float channel = p.quantity == CalQuantity::CO2           ? PlatformCO2Channel(ctx)
                              : p.quantity == CalQuantity::Temperature ? PlatformTempChannel(ctx)
                                                                       : 6;
        const double reading = ParseNumber(
            FormatChannelValue(ctx, GetChannelValue(ctx, channel, false), channel, false, true));
        const std::string unit = GetUnitText(ctx, channel);
        EXPECT_NEAR(reading, reference, CalibrationTolerance(p.quantity, reference, unit));
        ++verified;
    }
    EXPECT_GT(verified, 30);
    EXPECT_GT(putBack, 30);
}

// References too far from the present reading, and computed words no sensor could use.
TEST(CalibrationRefusals, ImplausibleReferencesAndImpossibleWords) {
    const struct {
        int platform, version;
        CalQuantity quantity;
        double reference;
        const char* problem;  // empty: accepted
    } references[] = {
        {6, 0, CalQuantity::CO2, 0, "The sensor reads 4"},  // zero "gas" in room air
        {6, 0, CalQuantity::CO2, 600, ""},
        {5, 0, CalQuantity::CO2, 1200, "more than 360 ppm apart"},
        {5, 0, CalQuantity::Temperature, 150, "and the reference is 150 \xC2\xB0" "C"},
        {61, 1, CalQuantity::Temperature, 31, ""},
        {7, 1, CalQuantity::O2, 0, "now, and the reference is 0 %"},
        {7, 1, CalQuantity::O2, 19.5, ""},
    };
    for (const auto& r : references) {
        VirtualSensorRig rig(r.platform, r.version);
        rig.ctx().AppDir = KELVO_SOURCE_DIR "/data";
        const std::string problem = PlausibilityProblem(rig.ctx(), r.quantity, r.reference);
        SCOPED_TRACE(std::to_string(r.platform) + ": " + problem);
        EXPECT_EQ(problem.empty(), *r.problem == 0);
        EXPECT_NE(problem.find(r.problem), std::string::npos);
    }
    EXPECT_EQ(ImpossibleWord("zero word", 0, true),
              "The computed zero word is 0: the sensor would stop measuring. Nothing was sent.");
    EXPECT_EQ(ImpossibleWord("table entry", 0), "");
    EXPECT_NE(ImpossibleWord("span word", 65536), "");
    EXPECT_NE(ImpossibleWord("span word", -1), "");
    const std::vector<double> falling{9000, 7000, 7000, 5000}, bump{9000, 7000, 7100, 5000};
    EXPECT_EQ(ImpossibleTable(falling, -1), "");
    EXPECT_NE(ImpossibleTable(bump, -1).find("not falling at entry 2"), std::string::npos);

    // A zero taken while the platform-5 sensor sits in 1000 ppm: a word above 65535.
    VirtualSensorRig rig(5, 0);
    rig.ctx().AppDir = KELVO_SOURCE_DIR "/data";
    rig.sensor.memory().gasPpm = 1000;
    const auto before = calibrationBytes(rig.sensor.memory());
    EXPECT_FALSE(CalCO2SinglePoint(rig.ctx(), kPlatformChannel, false, kCalZero, ""));
    EXPECT_NE(rig.ctx().ErrorText.find("Nothing was sent."), std::string::npos);
    EXPECT_EQ(calibrationBytes(rig.sensor.memory()), before);
}

}  // namespace
}  // namespace kelvo
