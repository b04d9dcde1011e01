// Every calibration on a virtual sensor, with random gases, references and faults: it ends
// calibrated and reading its reference, or failed with the sensor's words as they were.
#include "calibration/calibration_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <span>
#include <string>

#include "calibration/calibration.h"
#include "calibration/calibration_bump.h"
#include "calibration/reference_value.h"
#include "common/values.h"
#include "model/channels.h"
#include "model/identification.h"
#include "support/recorded_notes.h"
#include "support/virtual_sensor_rig.h"

namespace kelvo {
namespace {

using test::VirtualSensorRig;
using Memory = virtualsensor::SensorMemory;

using Run = bool (*)(Context&, Memory&, std::mt19937&, double& reference);

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
    return CalCO2Span(ctx, c, NumberText(ParseChannelValue(ctx, NumberText(reference), c, false)),
                      false);
}
bool temperature(Context& ctx, Memory& m, std::mt19937& rng, double& reference) {
    m.airTemperature = between(rng, 10, 35);
    reference = std::round(10 * (*m.airTemperature + between(rng, -3, 3))) / 10;
    return CalTemp(ctx, static_cast<float>(reference), kPlatformChannel, false);
}
bool o2(Context& ctx, Memory& m, std::mt19937& rng, double& reference) {
    m.oxygenPercent = reference = rng() % 4 ? std::round(between(rng, 17, 22) * 10) / 10 : 0;
    if (reference == 0 && GetPlatform(ctx) == kPlatform7) return CalO2Zero(ctx);
    return CalO2Span(ctx, ParseChannelValue(ctx, NumberText(reference), 6, false));
}

// Each puts the sensor into its gas or air, calibrates and gives the reference it aimed at.
const struct {
    Run run;
    CalQuantity quantity;
    const char* unit;  // as the record shows it
    std::vector<std::pair<int, int>> sensors;  // platform, version
} kProcedures[] = {
    {zero, CalQuantity::CO2, " ppm", {{5, 0}, {6, 0}, {61, 1}, {7, 1}}},
    {span, CalQuantity::CO2, " ppm", {{5, 0}, {6, 0}, {61, 1}, {7, 1}}},
    {temperature, CalQuantity::Temperature, " \xC2\xB0" "C", {{5, 0}, {6, 3}, {61, 1}, {7, 1}}},
    {o2, CalQuantity::O2, " %", {{7, 1}, {61, 0}}},
};

// The EEPROM, and platform 5's RAM calibration words and references.
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
    for (int run = 0; run < 600; ++run) {
        const auto& p = kProcedures[rng() % std::size(kProcedures)];
        const auto [platform, version] = p.sensors[rng() % p.sensors.size()];
        VirtualSensorRig rig(platform, version);
        Context& ctx = rig.ctx();
        ctx.AppDir = KELVO_SOURCE_DIR "/data";
        const int fault = run % 3;  // none, cancel, refusals the retries outlast or not
        const size_t faultAt = std::uniform_int_distribution<size_t>(0, 30)(rng);
        bool struck = fault != 1;
        rig.t.pump.onEvents([&] {
            if (struck || rig.sensor.requests().size() < faultAt) return;
            struck = true;
            cancel(ctx);
        });
        if (fault == 2)
            rig.sensor.refuseNext(3 + static_cast<int>(faultAt % 10), static_cast<int>(faultAt));
        test::RecordedNotes notes;
        ctx.serviceRecorder = &notes;
        const auto before = calibrationBytes(rig.sensor.memory());
        double reference = 0;
        const bool ok = p.run(ctx, rig.sensor.memory(), rng, reference);
        SCOPED_TRACE("run " + std::to_string(run) + ": " + ctx.ErrorText);
        EXPECT_TRUE(rig.sensor.eepromLocked());
        // Without a fault every calibration succeeds, but for a span in 0 % O2 on a cell that
        // reads nothing there (platform 61 has no zero offset to lift it).
        EXPECT_TRUE(ok || fault != 0 || (p.quantity == CalQuantity::O2 && reference == 0))
            << "no fault, yet no calibration";
        if (!ok) {
            EXPECT_EQ(calibrationBytes(rig.sensor.memory()), before);
            putBack += calibrationBytes(rig.sensor.memory()) == before;
            continue;
        }
        EXPECT_EQ(ctx.ErrorText, "");  // a success never carries a failure's message
        // The record names the gas and the reading in the unit the window shows them in.
        using Note = ServiceRecorder::Note;
        EXPECT_EQ(notes.said[Note::Quantity], QuantityName(p.quantity));
        EXPECT_EQ(notes.said[Note::Reference], NumberText(reference) + p.unit);
        const std::string& asLeft = notes.said[Note::AsLeft];
        EXPECT_EQ(asLeft.substr(asLeft.find(' ')), p.unit);
        EXPECT_LE(std::fabs(ParseNumber(asLeft) - reference),
                  CalibrationTolerance(p.quantity, reference, p.unit + 1));
        struck = true;  // the faults were for the calibration
        rig.t.clock.advance(kCalibrationSettleMs);
        // The check a technician would make next agrees, and writes nothing.
        const auto calibrated = calibrationBytes(rig.sensor.memory());
        const BumpCheck check = CheckAgainstReference(ctx, p.quantity, reference);
        EXPECT_TRUE(check.read && check.within) << check.message;
        EXPECT_EQ(calibrationBytes(rig.sensor.memory()), calibrated);
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
        {5, 0, CalQuantity::CO2, 1200, "more than 360 ppm apart"},
        {5, 0, CalQuantity::Temperature, 150,
         "and the reference is 150 \xC2\xB0"
         "C"},
        {61, 1, CalQuantity::Temperature, 31, ""},  // exactly the ten degrees allowed
        {61, 1, CalQuantity::Temperature, 31.01, "more than 10 \xC2\xB0" "C apart"},
        {7, 1, CalQuantity::O2, 0, "now, and the reference is 0 %"},
    };
    for (const auto& r : references) {
        VirtualSensorRig rig(r.platform, r.version);
        rig.ctx().AppDir = KELVO_SOURCE_DIR "/data";
        rig.sensor.memory().airTemperature = 21.0;
        const std::string problem = PlausibilityProblem(rig.ctx(), r.quantity, r.reference);
        SCOPED_TRACE(std::to_string(r.platform) + ": " + problem);
        EXPECT_EQ(problem.empty(), *r.problem == 0);
        EXPECT_NE(problem.find(r.problem), std::string::npos);
    }
    // A reading that does not come is the problem itself.
    VirtualSensorRig silent(6, 0);
    silent.sensor.answerOnly(0);
    const std::string unread = PlausibilityProblem(silent.ctx(), CalQuantity::CO2, 0);
    EXPECT_EQ(unread, silent.ctx().ErrorText);
    EXPECT_NE(unread, "");
    // How far a check may land and how far a reference may lie, in the channel's own unit:
    // CO2 30 ppm plus 3 %, and 300 ppm or 30 %, whichever is more (the two meet at 1000 ppm);
    // temperature half a degree and ten, in kelvin or Fahrenheit degrees; O2 0.3 %, and 1 %
    // or a tenth of the reference. Negative references count by their size.
    using Q = CalQuantity;
    const struct {
        CalQuantity quantity;
        double reference;
        const char* unit;
        double tolerance, plausible;
    } limits[] = {{Q::CO2, 1000, "ppm", 60, 300},       {Q::CO2, 999, "ppm", 59.97, 300},
                  {Q::CO2, 1010, "ppm", 60.3, 303},      {Q::CO2, -2000, "ppm", 90, 600},
                  {Q::CO2, 0, "ppm", 30, 300},           {Q::CO2, 0.1, "%", 0.006, 0.03},
                  {Q::CO2, 5, "%", 0.153, 1.5},          {Q::Temperature, 21, "C", 0.5, 10},
                  {Q::Temperature, -70, "F", 0.9, 18},   {Q::O2, 20.9, "%", 0.3, 2.09},
                  {Q::O2, 9, "%", 0.3, 1},               {Q::O2, -11, "%", 0.3, 1.1}};
    for (const auto& l : limits) {
        SCOPED_TRACE(QuantityName(l.quantity) + " " + NumberText(l.reference) + l.unit);
        EXPECT_NEAR(CalibrationTolerance(l.quantity, l.reference, l.unit), l.tolerance, 1e-9);
        EXPECT_NEAR(PlausibleDistance(l.quantity, l.reference, l.unit), l.plausible, 1e-9);
    }
    // The words a sensor holds are 0 to 65535, or -32768 to 32767 where they are signed; 0
    // only where it does not stop the sensor.
    const std::string stops =
        "The computed zero word is 0: the sensor would stop measuring. Nothing was sent.";
    const auto holds = [](double w, const char* range = "0 to 65535") {
        return "The computed zero word is " + NumberText(w) + ": the sensor holds " + range +
               ". Nothing was sent.";
    };
    const char* const signedRange = "-32768 to 32767";
    const struct {
        double word;
        bool zeroStopsIt;
        std::string problem;
        WordRange range = {};
    } words[] = {{0, true, stops}, {0, false, ""}, {1, true, ""}, {65535, true, ""},
                 {65536, true, holds(65536)}, {-1, false, holds(-1)}, {-0.5, false, holds(-0.5)},
                 {NAN, false, holds(NAN)}, {INFINITY, false, holds(INFINITY)},
                 {-32768, false, "", kSignedWords}, {32767, false, "", kSignedWords},
                 {-32769, false, holds(-32769, signedRange), kSignedWords},
                 {32768, false, holds(32768, signedRange), kSignedWords}};
    for (const auto& w : words)
        EXPECT_EQ(ImpossibleWord("zero word", w.word, w.zeroStopsIt, w.range), w.problem)
            << w.word;
    // A check a degree off is outside the half degree a temperature is allowed.
    // Its history line says why, and a check that passes ends with no failure's message.
    test::RecordedNotes ending;
    VirtualSensorRig warm(6, 0);
    warm.ctx().serviceRecorder = &ending;
    warm.sensor.memory().airTemperature = 21.0;
    const BumpCheck off = CheckAgainstReference(warm.ctx(), CalQuantity::Temperature, 22.0);
    EXPECT_FALSE(off.within);
    EXPECT_EQ(ending.endedWith, off.message);
    EXPECT_FALSE(ending.succeeded);
    EXPECT_TRUE(CheckAgainstReference(warm.ctx(), CalQuantity::Temperature, 21.0).within);
    EXPECT_EQ(ending.endedWith, "");
    EXPECT_TRUE(ending.succeeded);
    // A check that gets no reading fails with the line's message.
    warm.sensor.silentFor(1000);
    const BumpCheck blind = CheckAgainstReference(warm.ctx(), CalQuantity::Temperature, 21.0);
    EXPECT_FALSE(blind.read || blind.within || ending.succeeded);
    EXPECT_EQ(ending.endedWith, blind.message);
    EXPECT_NE(blind.message, "");
    const std::vector<double> bump{9000, 7000, 7100, 5000};
    EXPECT_NE(ImpossibleTable(bump, -1).find("not falling at entry 2"), std::string::npos);
    for (const auto& [from, to, at] : {std::tuple{1, 4, "at entry 1"}, {0, 3, "at entry 2"}})
        EXPECT_NE(ImpossibleTable({bump.begin() + from, bump.begin() + to}, -1).find(at),
                  std::string::npos);
    // A level step is no reversal; a rising table is checked the other way round.
    EXPECT_EQ(ImpossibleTable(std::vector<double>{9000, 9000, 8000}, -1), "");
    EXPECT_NE(ImpossibleTable(bump, 1).find("not rising at entry 1"), std::string::npos);
}

// A channel whose descriptor names no unit, or a foreign one, is told in its quantity's own;
// a temperature only ever in degrees.
TEST(QuantityUnit, AChannelsOwnUnitOrItsQuantitys) {
    using Q = CalQuantity;
    const struct {
        CalQuantity quantity;
        int unitCode;
        std::string unit;
    } rows[] = {{Q::Temperature, 0, "C"}, {Q::Temperature, 3, "C"}, {Q::Temperature, 2, "F"},
                {Q::CO2, 0, "ppm"},       {Q::CO2, 5, "%"},         {Q::O2, 0, "%"},
                {Q::O2, 4, "ppm"}};
    for (const auto& r : rows) {
        VirtualSensorRig rig(6, 0);
        const float channel = QuantityChannel(rig.ctx(), r.quantity);
        uint8_t& descriptor = rig.sensor.memory().eeprom[218 + static_cast<int>(channel)];
        descriptor = static_cast<uint8_t>((descriptor & ~0x1C) | r.unitCode << 2);
        EXPECT_EQ(QuantityUnit(rig.ctx(), r.quantity, channel), r.unit) << r.unitCode;
    }
}

// A typed reference is taken exactly when the sensor's word holds it: a refusal names the
// range in the channel's unit, its ends are taken as shown, and one in the last digit past
// either is refused alike. A sensor that cannot tell its channel's scale takes nothing.
TEST(CheckedReference, TakesWhatTheWordHoldsAndNamesItsRangeExactly) {
    const std::string out = "\" is out of range: the sensor takes ";
    const auto past = [](double v, int sign) {
        const std::string text = NumberText(v);
        const auto point = text.find('.');
        const double digits = point == std::string::npos ? 0 : double(text.size() - point - 1);
        return NumberText(v + sign * std::pow(10.0, -digits));
    };
    const std::string C = std::string(" \xC2\xB0") + 'C';  // temperature, CO2, O2 (or a bare word)
    const struct {
        int platform, version;
        std::string ranges[3];
    } rows[] = {{5, 0, {"-50 to 605.3" + C, "0 to 60535 ppm", "0 to 65535"}},
                {6, 0, {"-50 to 605.35" + C, "0 to 60535 ppm", "0 to 605.35 %"}},
                {61, 1, {"-50 to 605.35" + C, "0 to 60535 ppm", "0 to 65535"}},
                {7, 1, {"-327.68 to 327.67" + C, "0 to 32767 ppm", "0 to 327.67 %"}}};
    for (const auto& [platform, version, ranges] : rows) {
        for (const auto q :
             {ReferenceQuantity::Temperature, ReferenceQuantity::CO2, ReferenceQuantity::O2}) {
            VirtualSensorRig rig(platform, version);
            Context& ctx = rig.ctx();
            ctx.AppDir = KELVO_SOURCE_DIR "/data";
            const auto check = [&](const std::string& answer) {
                ctx.ErrorText.clear();
                return CheckedReference(ctx, q, answer);
            };
            SCOPED_TRACE(std::to_string(platform) + " " + std::to_string(static_cast<int>(q)));
            rig.sensor.silentFor(1000);
            EXPECT_FALSE(check("1"));
            EXPECT_FALSE(ctx.ErrorText.empty());
            rig.sensor.silentFor(0);
            EXPECT_FALSE(check("12a"));
            EXPECT_EQ(ctx.ErrorText, NotANumberMessage("12a"));
            EXPECT_FALSE(check("9999999"));
            const std::string range = ctx.ErrorText.substr(ctx.ErrorText.find(out) + out.size());
            const double low = ParseNumber(range.substr(0, range.find(" to ")));
            const double high = ParseNumber(range.substr(range.find(" to ")));
            EXPECT_EQ(range, ranges[static_cast<int>(q)] + ". Nothing was sent to the sensor.");
            // 10 C lies below 32 F: only a Fahrenheit channel counts it as a wrapped word. A
            // temperature a hair below 0 has the word 0, which wraps nowhere.
            const double nearZero = q == ReferenceQuantity::Temperature ? -0.001 : 0;
            for (const double v : {low, high, 10.0, nearZero})
                EXPECT_EQ(check(NumberText(v)), v) << v;
            for (const std::string& beyond : {past(low, -1), past(high, 1)}) {
                EXPECT_FALSE(check(beyond));
                EXPECT_EQ(ctx.ErrorText, "\"" + beyond + out + range);
            }
        }
    }
    // Descriptors no factory image has. Whole Fahrenheit degrees on the coarsest scale: the
    // top word shows as 756 F, past it, so the range names the last whole degree inside.
    // Hundredths on a scale of ten: what the scale leaves of a word is shown, not cut.
    const struct {
        uint8_t descriptor;
        std::string range;
        double reads;  // in air at 21.05 C
    } descriptors[] = {{0x68, "32 to 755 \xC2\xB0" "F", 110},
                       {0xA6, "-5 to 60.535" + C, 2.105}};
    for (const auto& d : descriptors) {
        VirtualSensorRig rig(6, 0);
        rig.ctx().AppDir = KELVO_SOURCE_DIR "/data";
        rig.sensor.memory().eeprom[218 + int(PlatformTempChannel(rig.ctx()))] = d.descriptor;
        rig.sensor.memory().airTemperature = 21.05;
        EXPECT_FALSE(CheckedReference(rig.ctx(), ReferenceQuantity::Temperature, "9999"));
        EXPECT_EQ(rig.ctx().ErrorText,
                  "\"9999" + out + d.range + ". Nothing was sent to the sensor.");
        rig.ctx().ErrorText.clear();
        EXPECT_EQ(CheckAgainstReference(rig.ctx(), CalQuantity::Temperature, 0).reading, d.reads);
    }
}

}  // namespace
}  // namespace kelvo
