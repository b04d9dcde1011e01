// The calibrations against virtual sensors whose readings follow their calibration words:
// after a calibration in a known gas the sensor must report that gas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "calibration/calibration.h"
#include "calibration/calibration_check.h"
#include "calibration/calibration_support.h"
#include "common/values.h"
#include "link/com_log.h"
#include "link/sensor_mem_read.h"
#include "model/channels.h"
#include "model/identification.h"
#include "model/tables.h"
#include "support/recorded_notes.h"
#include "support/virtual_sensor_rig.h"

namespace kelvo {
namespace {

using test::VirtualSensorRig;

struct Rig : VirtualSensorRig {
    Rig(int platform, int version) : VirtualSensorRig(platform, version) {
        ctx().AppDir = std::string(KELVO_SOURCE_DIR) + "/data";
    }
    std::vector<uint8_t>& ee() { return sensor.memory().eeprom; }
    std::array<uint8_t, 256>& ram() { return sensor.memory().ram; }
    int eeWord(int at) { return ee()[at] * 256 + ee()[at + 1]; }
    int ramWord(int at) { return ram()[at] * 256 + ram()[at + 1]; }
    void putEeWord(int at, int value) {
        ee()[at] = static_cast<uint8_t>(value >> 8);
        ee()[at + 1] = static_cast<uint8_t>(value & 0xFF);
    }
    void putRamWord(int at, int value) {
        ram()[at] = static_cast<uint8_t>(value >> 8);
        ram()[at + 1] = static_cast<uint8_t>(value & 0xFF);
    }
    // What the sensor reports on a channel now, read fresh.
    double reading(float channel) {
        t.clock.advance(2000);
        const double value = GetChannelValue(ctx(), channel, false);
        EXPECT_TRUE(ctx().ErrorText.empty()) << ctx().ErrorText;
        return value;
    }
    // Puts a table of a platform-6/61 sensor off, as an aged detector would be.
    void wearTable(int table, double factor) {
        for (int i = 0; i < kTableEntries; ++i) {
            const int at = 308 + 34 * table + 2 * i;
            putEeWord(at, static_cast<int>(5000 + (eeWord(at) - 5000) * factor));
        }
    }
};

using Notes = test::RecordedNotes;

const std::string kNoCalibrationMessage =
    "Calibration not possible with the sensor's present readings.";

// --- CO2 single point ----------------------------------------------------------------------

TEST(CalCO2SinglePointSensor, ZeroGasOnPlatform5StoresTheRatioWord) {
    Rig rig(5, 0);
    rig.sensor.memory().gasPpm = 0;  // the detector reads R = 4096 in zero gas
    rig.putRamWord(130, 29000);
    ASSERT_TRUE(CalCO2SinglePoint(rig.ctx(), kPlatformChannel, false, kCalZero, ""))
        << rig.ctx().ErrorText;
    EXPECT_EQ(rig.ramWord(130), 30720);
    EXPECT_FALSE(rig.sensor.isOpen());
}

// In zero gas, in a gas of known concentration and in fresh air (whatever the sensor stores
// as its reference) the sensor reads its gas after calibration, and the record shows it as
// the window does, without the channel's bias.
TEST(CalCO2SinglePointSensor, Platform6ReadsTheGasItWasCalibratedIn) {
    for (const int type : {kCalZero, kCalOther, kCalFreshAir}) {
        SCOPED_TRACE(type);
        Rig rig(6, 0);
        const double ppm = type == kCalZero    ? 0
                           : type == kCalOther ? 800
                                               : GetZeroReference(rig.ctx(), 0) - 5000;
        rig.sensor.memory().gasPpm = ppm;
        rig.putEeWord(46, 29000);  // an aged zero word
        EXPECT_GT(std::fabs(rig.reading(11) - (5000 + ppm)), 20);
        Notes notes;
        rig.ctx().serviceRecorder = &notes;
        ASSERT_TRUE(CalCO2SinglePoint(rig.ctx(), kPlatformChannel, false, type,
                                      type == kCalOther ? "800" : ""))
            << rig.ctx().ErrorText;
        EXPECT_NEAR(rig.reading(11), 5000 + ppm, 3);
        for (const auto note : {ServiceRecorder::Note::Reference, ServiceRecorder::Note::AsLeft})
            EXPECT_NEAR(ParseNumber(notes.said[note]), ppm, 3) << notes.said[note];
    }
}

// So does a failed write of a platform-5 span word. Wherever the sensor starts refusing, a
// calibration that wrote none of its words claims to have put none back (the platform-6
// unlock writes a RAM byte first, which is the link's, not the calibration's).
TEST(CalCO2SinglePointSensor, AFailedWriteFailsTheCalibration) {
    for (const int platform : {6, 5}) {
        Rig rig(platform, 0);
        rig.sensor.refuseWrites(true);
        const int64_t start = rig.t.clock.tickMs();
        EXPECT_FALSE(platform == 6
                         ? CalCO2SinglePoint(rig.ctx(), kPlatformChannel, false, kCalZero, "")
                         : CalCO2Span(rig.ctx(), 1, "6000", false));
        EXPECT_FALSE(rig.ctx().ErrorText.empty());
        EXPECT_LT(rig.t.clock.tickMs() - start, kCalibrationSettleMs);  // no settling waited out
    }
    for (int at = 0; at < 16; ++at) {
        Rig rig(6, 0);
        rig.sensor.memory().gasPpm = 0;
        rig.putEeWord(46, 29000);
        rig.sensor.refuseNext(12, at);
        Notes notes;
        rig.ctx().serviceRecorder = &notes;
        const bool ok = CalCO2SinglePoint(rig.ctx(), kPlatformChannel, false, kCalZero, "");
        const bool claimed = rig.ctx().ErrorText.find("put back") != std::string::npos;
        EXPECT_FALSE(!ok && notes.eepromWrites.empty() && claimed) << at;
    }
}

// The channels "the CO2 channel" and "the temperature channel" mean on each platform (the
// identification byte 223 moves temperature to channel 3); no CO2 channel on a sensor we do
// not know.
TEST(CalChannels, EachPlatformNamesItsOwn) {
    for (const auto& [platform, idByte, co2, temperature] :
         {std::tuple{5, 0, 1, 0}, {6, 0, 11, 2}, {6, 223, 11, 3}, {61, 0, 5, 4}, {7, 0, 5, 4}}) {
        Rig rig(platform, platform == 61 || platform == 7 ? 1 : 0);
        if (idByte) rig.ram()[65] = static_cast<uint8_t>(idByte);
        const auto p = static_cast<uint8_t>(platform);
        EXPECT_EQ(PlatformCO2Channel(rig.ctx()), co2) << platform;
        EXPECT_EQ(calibration::TempChannelOf(rig.ctx(), kPlatformChannel, p), temperature)
            << platform << " " << idByte;
        // A channel named by the caller is taken for CO2; a temperature has none but 0.
        EXPECT_EQ(calibration::CO2ChannelOf(rig.ctx(), 3, p), 3);
        EXPECT_EQ(calibration::TempChannelOf(rig.ctx(), 3, p), 0);
    }
    Rig unknown(6, 0);
    unknown.ram()[65] = 0;
    EXPECT_EQ(PlatformCO2Channel(unknown.ctx()), 0);
}

// Refused at once, nothing sent, the sensor's memory and the image's view of it as they were:
// readings that leave nothing to calibrate with (a CO2 factor, ratio, span word or cell
// reading of 0), and words the sensor cannot hold or that would stop it measuring (0). A
// span word of 1 is a span word: platform 5 calibrates with it.
TEST(CalibrationRefusalsOnASensor, NothingIsSentAndTheImageKeepsWhatTheSensorHolds) {
    using Set = std::function<void(Rig&)>;
    using Run = std::function<bool(Rig&)>;
    const Run freshAir = [](Rig& r) {
        return CalCO2SinglePoint(r.ctx(), kPlatformChannel, false, kCalFreshAir, "");
    };
    const Run zero = [](Rig& r) {
        return CalCO2SinglePoint(r.ctx(), kPlatformChannel, false, kCalZero, "");
    };
    const auto span = [](const char* gas) {
        return Run([gas](Rig& r) { return CalCO2Span(r.ctx(), kPlatformChannel, gas, false); });
    };
    const auto o2Span = [](const char* percent) {
        return Run([percent](Rig& r) {
            return CalO2Span(r.ctx(), ParseChannelValue(r.ctx(), percent, 6, false));
        });
    };
    const auto ramWord = [](int at, int value) {
        return Set([at, value](Rig& r) { r.putRamWord(at, value); });
    };
    const std::string none = kNoCalibrationMessage, sent = "Nothing was sent.";
    const struct {
        int platform, version;
        Set set;
        Run run;
        std::string message;  // or a part of it; empty: it calibrates
        int unfetched = -1;   // an EEPROM byte the refusal comes before
    } cases[] = {
        {61, 0, {}, freshAir, none},  // identification byte 214: no CO2 factor
        {61, 0, {}, span("6500"), none, 444},
        {6, 0, ramWord(72, 0), zero, none},  // the detector ratio
        {6, 0, ramWord(72, 1), zero, sent},
        {5, 0, ramWord(138, 0), freshAir, none},  // the span word
        {5, 0, ramWord(138, 1), freshAir, ""},
        {7, 1, ramWord(38, 0), o2Span("20"), none},  // the cell's reading
        {7, 1, ramWord(38, 1), o2Span("20"), sent},
        {5, 0, [](Rig& r) { r.sensor.memory().gasPpm = 1000; }, zero, sent},  // in 1000 ppm
        {7, 1, ramWord(38, 12000), o2Span("0"),
         "The computed O2 span word is 0: the sensor would stop measuring. " + sent},
        {5, 0, ramWord(138, 2048),
         [](Rig& r) {
             return CalCO2SinglePoint(r.ctx(), kPlatformChannel, false, kCalOther, "2000");
         },
         "The computed zero word is 0: the sensor would stop measuring. " + sent},
        {5, 0,  // R = 4096 in zero gas, and 30720 * 4096 / 2048 is full scale
         [](Rig& r) { r.sensor.memory().gasPpm = 0, r.putRamWord(130, 30720); },
         [](Rig& r) { return CalCO2Span(r.ctx(), 1, "6000", false); }, none},
        {6, 0, [](Rig& r) { r.ee()[58] = 4; }, span("6500"), "Sensor = 0, "},  // kind 4: no model
        {6, 0,  // no zero word, and no temperature term to lift the detector term
         [](Rig& r) { r.putEeWord(46, 0), r.ee()[104] = 127; }, span("6500"), none},
        {6, 0,  // a span gas far from the gas the sensor is in
         [](Rig& r) { r.sensor.memory().gasPpm = 300, r.putEeWord(308 + 34 * 4 + 30, 5100); },
         span("14000"), "The computed table entry is -1675: the sensor holds 0 to 65535. " + sent},
        {7, 1, [](Rig& r) { r.ee()[1003] = 0x40; },
         [](Rig& r) { return CalCO2SpanPlatform7(r.ctx(), 1000); },
         "Unknown CO2 detector type, can't calibrate span."},
        {7, 1, {}, [](Rig& r) { return CalCO2SpanPlatform7(r.ctx(), 0); }, none},  // no exponent
        {6, 0,  // a shift that would take an entry below 0, or on platform 7 past 327.67 C
         [](Rig& r) {
             r.sensor.memory().airTemperature = 21.0;
             r.putEeWord(308 + 34 * GetChannelTable(r.ctx(), 2), 50);
         },
         [](Rig& r) { return CalTemp(r.ctx(), 19.5f, kPlatformChannel, false); },
         "The computed table entry is -100: the sensor holds 0 to 65535. " + sent},
        {7, 1, [](Rig& r) { r.sensor.memory().airTemperature = 21.0, r.putEeWord(512, 32700); },
         [](Rig& r) { return CalTemp(r.ctx(), 22.5f, kPlatformChannel, false); },
         "The computed table entry is 32850: the sensor holds -32768 to 32767. " + sent},
        {61, 0,  // a port left open is let go
         [](Rig& r) { ASSERT_TRUE(SensorMemRead(r.ctx(), 0, 65, 1, false, true)); },
         [](Rig& r) { return CalO2Zero(r.ctx()); }, "This sensor has no O2 zero word."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Rig rig(c.platform, c.version);
        if (c.set) c.set(rig);
        const auto before = rig.sensor.memory();
        const int64_t start = rig.t.clock.tickMs();
        EXPECT_EQ(c.run(rig), c.message.empty()) << rig.ctx().ErrorText;
        if (c.message.empty()) continue;
        EXPECT_LT(rig.t.clock.tickMs() - start, kCalibrationSettleMs);  // at once
        EXPECT_NE(rig.ctx().ErrorText.find(c.message), std::string::npos) << rig.ctx().ErrorText;
        EXPECT_EQ(rig.sensor.savesToRam(), 0);
        EXPECT_FALSE(rig.sensor.isOpen());
        EXPECT_FALSE(c.unfetched >= 0 && rig.ctx().EeRead[c.unfetched]);
        const auto& now = rig.sensor.memory();
        EXPECT_EQ(now.eeprom, before.eeprom);
        for (int a = 0; a < 256; ++a) {
            if (now.liveWritten[a] || a == 230) continue;  // measured, and the unlock's counter
            EXPECT_EQ(now.ram[a], before.ram[a]) << a;
            EXPECT_TRUE(!rig.ctx().RamRead[a] || rig.ctx().RamImage[a] == now.ram[a]) << a;
        }
        for (size_t a = 0; a < now.eeprom.size(); ++a)
            EXPECT_TRUE(!rig.ctx().EeRead[a] || rig.ctx().EeImage[a] == now.eeprom[a]) << a;
    }
}

// --- CO2 span ------------------------------------------------------------------------------

// Without a temperature term, and with one on a warm sensor, where a span word that
// ignored the term would leave the reading off.
TEST(CalCO2SpanSensor, Platform5SpanWordBringsTheReadingToTheSpanGas) {
    for (const auto& [term, celsius] : {std::pair{0, 22.0}, {40, 30.0}, {120, 60.0}}) {
        Rig rig(5, 0);
        rig.sensor.memory().gasPpm = 1000;
        rig.sensor.memory().airTemperature = celsius;
        rig.ram()[202] = static_cast<uint8_t>(127 + term);
        rig.putRamWord(138, 1900);  // a span word off by 7 %
        EXPECT_GT(std::fabs(rig.reading(1) - 6000), 40);
        rig.putRamWord(70, rig.ramWord(70) + 1);  // the detector ratio, pinned
        const float reference = GetZeroReference(rig.ctx(), 0);
        ASSERT_TRUE(CalCO2Span(rig.ctx(), 1, "6000", false)) << rig.ctx().ErrorText;
        EXPECT_NEAR(rig.reading(1), 6000, 3) << term;
        // The word itself: the detector term over the temperature term.
        const double Z = rig.ramWord(130), R = rig.ramWord(70), Tc = rig.ram()[234] - 127.0;
        const double E = TableToLinear(rig.ctx(), GetChannelTable(rig.ctx(), 1), 6000);
        const double A = (65535 - E) * 2048 / (65535 - Z * R / 2048);
        EXPECT_EQ(rig.ramWord(138), static_cast<int>(A / ((term * Tc / 32 + 2048) / 2048)));
        // The zero reference is stored again against the new span word.
        EXPECT_NEAR(GetZeroReference(rig.ctx(), 0), reference, 2) << term;
        // The span word, then RAM 0..1 whole (a RAM write of 2 at address 0), each committed.
        const auto& sent = rig.sensor.requests();
        EXPECT_EQ(std::count(sent.begin(), sent.end(), Bytes{2, 0, 0, 0, 2}), 1);
        EXPECT_EQ(rig.sensor.savesToEeprom(), 2);
    }
}

// On a warm sensor with a temperature term, which the fit must take out of the reading.
TEST(CalCO2SpanSensor, CurveFitConvergesInTwoPasses) {
    struct Case {
        int platform, version;
        float channel;
        int table;
        int calTemp;  // EEPROM byte of the temperature term, 127 + term
        int exchangesMs;
    };
    for (const Case& c : {Case{6, 0, 11, 4, 104, 645}, Case{61, 1, 5, 4, 83, 630}}) {
        SCOPED_TRACE(c.platform);
        Rig rig(c.platform, c.version);
        rig.sensor.memory().gasPpm = 1500;
        rig.sensor.memory().airTemperature = 30;
        rig.ee()[c.calTemp] = 127 + 2;
        rig.wearTable(c.table, 0.85);
        rig.putEeWord(308 + 34 * c.table + 30, 5100);  // an entry 15 off its bias
        const int worn0 = rig.eeWord(308 + 34 * c.table);
        EXPECT_GT(std::fabs(rig.reading(c.channel) - 6500), 50);
        const int64_t start = rig.t.clock.tickMs();
        Notes notes;
        rig.ctx().serviceRecorder = &notes;
        const auto before = rig.ee();
        ASSERT_TRUE(CalCO2Span(rig.ctx(), c.channel, "6500", false)) << rig.ctx().ErrorText;
        // Platform 61's first pass already models its sensor, temperature term included:
        // the second only mends what whole words cut off.
        for (int e = 0; c.platform == 61 && e < 15; ++e) {
            const int at = 308 + 34 * c.table + 2 * e;
            const auto firstPass = [&](int a) {
                const auto& w = notes.eepromWrites[a];
                return w.empty() ? before[a] : static_cast<int>(w.front());
            };
            EXPECT_NEAR(rig.eeWord(at), firstPass(at) * 256 + firstPass(at + 1), 10) << e;
        }
        // The sensor settles 2.5 s after each pass and before the check; the rest is the
        // exchanges, which take the same time on every run of the virtual line.
        EXPECT_EQ(rig.t.clock.tickMs() - start, 5000 + kCalibrationSettleMs + c.exchangesMs);
        EXPECT_FALSE(rig.sensor.isOpen());
        EXPECT_NEAR(rig.reading(c.channel), 6500, 5);
        // The last entry continues the last step.
        const int at = 308 + 34 * c.table;
        EXPECT_EQ(rig.eeWord(at + 30), 5000);  // the bias: no gas
        EXPECT_EQ(rig.eeWord(at + 32), 2 * rig.eeWord(at + 30) - rig.eeWord(at + 28));
        EXPECT_NE(rig.eeWord(at), worn0);  // the fit starts at entry 0
    }
}

// After either pass: every byte either pass changed is put back.
TEST(CalCO2SpanSensor, CancellingWhileTheSensorSettlesStops) {
    for (const int passes : {1, 2}) {
        Rig rig(6, 0);
        rig.sensor.memory().gasPpm = 1500;  // the second pass moves bytes the first left alone
        rig.t.pump.onEvents([&] {  // the pass written, the port let go
            if (rig.sensor.savesToRam() == passes && !rig.sensor.isOpen()) cancel(rig.ctx());
        });
        const auto before = rig.ee();
        EXPECT_FALSE(CalCO2Span(rig.ctx(), kPlatformChannel, "6500", false));
        EXPECT_EQ(rig.ctx().ErrorText, "Avbryt");
        EXPECT_EQ(rig.sensor.savesToRam(), passes + 1);  // then the table put back
        EXPECT_EQ(rig.ee(), before);
    }
}

TEST(CalCO2SpanSensor, Platform7FormBringsTheReadingNearTheSpanGas) {
    Rig rig(7, 1);
    rig.sensor.memory().gasPpm = 1000;
    rig.sensor.memory().airTemperature = 30;
    rig.ee()[881] = 2;  // a temperature term, signed
    rig.ee()[15] = 0xFF;  // a zero word whose low byte counts
    const double before = rig.reading(5);
    rig.ctx().EeImage[16] = 7;  // a network ID edited in the window, beside the zero word
    rig.ctx().EeRead[16] = true;
    const int opened = rig.sensor.opens(), reference = rig.eeWord(976);
    ASSERT_TRUE(CalCO2Span(rig.ctx(), kPlatformChannel, "1000", false)) << rig.ctx().ErrorText;
    EXPECT_EQ(rig.eeWord(976), reference);  // written again as it was
    // One opening holds the port through the reads into the table's write; the reference's
    // write, the check and the reading after it open it again.
    EXPECT_EQ(rig.sensor.opens() - opened, 4);
    EXPECT_EQ(rig.ctx().EeImage[16], 7);
    EXPECT_FALSE(rig.sensor.isOpen());
    const double after = rig.reading(5);
    EXPECT_NEAR(after, 1000, 15) << "before " << before;
    // The entries fall to entry 15, no gas; the last continues the step from 14 to 15.
    for (int e = 1; e < 15; ++e)
        EXPECT_LE(SignedWord(rig.eeWord(580 + 2 * e)), SignedWord(rig.eeWord(578 + 2 * e))) << e;
    EXPECT_NE(rig.eeWord(580 + 28), 0);
    EXPECT_EQ(rig.eeWord(580 + 30), 0);
    EXPECT_EQ(SignedWord(rig.eeWord(580 + 32)), -SignedWord(rig.eeWord(580 + 28)));
}

// --- Temperature ---------------------------------------------------------------------------

// With no change the unchanged word is still written; a change moves the temperature
// channel's zero word by the difference. The write closes the port even when the caller
// asked to keep it open.
TEST(CalTempSensor, Platform5MovesTheZeroWordByTheDifference) {
    for (const auto& [trueTemp, shift] : {std::pair{21.0f, 0}, {22.5f, 150}}) {
        Rig rig(5, 0);
        const int zero = rig.ramWord(128);
        rig.putRamWord(128, zero + 7);  // behind the image's back: only a write restores it
        rig.sensor.memory().airTemperature = 20.93;  // the sensor measures 21.00 C
        rig.ctx().RamImage[128] = static_cast<float>(zero >> 8);
        rig.ctx().RamImage[129] = static_cast<float>(zero & 0xFF);
        rig.ctx().RamRead[128] = rig.ctx().RamRead[129] = true;
        ASSERT_TRUE(CalTemp(rig.ctx(), trueTemp, kPlatformChannel, true)) << rig.ctx().ErrorText;
        EXPECT_EQ(rig.ramWord(128), zero + shift) << trueTemp;
        EXPECT_FALSE(rig.ctx().RamRead[22]);  // the temperature word alone is measured
        EXPECT_FALSE(rig.sensor.isOpen());
    }
}

// The air warms by a degree while the sensor settles: the check after the write finds the
// sensor off its reference, and the table is put back, or the message says it could not be.
// Half a degree is just what a check allows.
TEST(CalTempSensor, ACheckThatFailsPutsTheTableBackOrSaysItCouldNot) {
    for (const auto& [warming, refused] : {std::pair{1.0, false}, {1.0, true}, {0.5, false}}) {
        Rig rig(6, 0);
        rig.sensor.memory().airTemperature = 21.0;
        const auto before = rig.ee();
        rig.t.pump.onEvents([&] {  // the shifted table written, the port let go
            if (rig.sensor.savesToRam() == 0 || rig.sensor.isOpen()) return;
            rig.sensor.memory().airTemperature = 21.0 + warming;
            rig.sensor.refuseWrites(refused);
        });
        if (warming < 1) {
            EXPECT_TRUE(CalTemp(rig.ctx(), 22.0f, kPlatformChannel, false)) << rig.ctx().ErrorText;
            continue;
        }
        EXPECT_FALSE(CalTemp(rig.ctx(), 22.0f, kPlatformChannel, false));
        EXPECT_EQ(rig.ctx().ErrorText,
                  "The sensor reads 23 \xC2\xB0" "C after calibration, not 22" +
                      std::string(refused ? ", and the previous calibration could not be put back."
                                          : ": the previous calibration was put back."));
        EXPECT_EQ(rig.ee() == before, !refused);
        EXPECT_TRUE(rig.sensor.eepromLocked());
    }
}

// Down as well as up, and an entry may land on 0 itself.
TEST(CalTempSensor, Platform6ShiftsTheTemperatureTable) {
    for (const float trueTemp : {22.5f, 19.5f}) {
        Rig rig(6, 0);
        rig.sensor.memory().airTemperature = 21.0;
        EXPECT_EQ(rig.reading(2), 5000 + 2100);
        const int first = 308 + 34 * GetChannelTable(rig.ctx(), 2);
        rig.putEeWord(first, 150);
        ASSERT_TRUE(CalTemp(rig.ctx(), trueTemp, kPlatformChannel, true)) << rig.ctx().ErrorText;
        EXPECT_FALSE(rig.sensor.isOpen()) << "asked to keep it open";
        EXPECT_EQ(rig.reading(2), 5000 + trueTemp * 100);
        EXPECT_EQ(rig.eeWord(first), 150 + (trueTemp - 21) * 100);
    }
}

// Up and down across 0 C, every entry moves by the difference of the signed values, the
// last one too, and an entry below 0 C (-0.90 C) moves across it; the byte past the table
// is never read.
TEST(CalTempSensor, Platform7CalibratesAcrossZero) {
    for (const auto& [measured, trueTemp, shift, entry0] :
         {std::tuple{-0.3, 0.5f, 80, -1}, {0.5, -0.3f, -80, -1}, {22.4, 23.4f, 100, 65536 - 90}}) {
        Rig rig(7, 1);
        rig.sensor.memory().airTemperature = measured;
        if (entry0 >= 0) rig.putEeWord(512, entry0);
        rig.ee()[546] = 0x5A;
        std::vector<double> before;
        for (int e = 0; e < kTableEntries; ++e)
            before.push_back(SignedWord(rig.eeWord(512 + 2 * e)));
        ASSERT_TRUE(CalTemp(rig.ctx(), trueTemp, kPlatformChannel, false)) << rig.ctx().ErrorText;
        for (int e = 0; e < kTableEntries; ++e)
            EXPECT_EQ(SignedWord(rig.eeWord(512 + 2 * e)), before[e] + shift) << e;
        EXPECT_EQ(rig.ee()[546], 0x5A);
        EXPECT_EQ(
            FormatChannelValue(rig.ctx(), static_cast<float>(rig.reading(4)), 4, false, false),
            NumberText(trueTemp));
    }
}

// --- O2 ------------------------------------------------------------------------------------

TEST(CalO2SpanSensor, StoresTheReferenceOverTheCellReading) {
    Rig rig(7, 1);
    rig.putRamWord(38, 12000);  // the cell's reading, pinned
    const float reference = ParseChannelValue(rig.ctx(), "20.9", 6, false);
    const double expected = TableToLinear(rig.ctx(), 4, reference) * 2048.0 / 12000;
    ASSERT_TRUE(CalO2Span(rig.ctx(), reference)) << rig.ctx().ErrorText;
    EXPECT_EQ(rig.eeWord(0), ToInteger(expected));
    EXPECT_FALSE(rig.sensor.isOpen());
}

// --- Every calibration on a sensor, cut short or not ----------------------------------------

using Ranges = std::vector<std::pair<int, int>>;  // first byte, count

// Each calibration with the words it is there to change.
struct CalibrationRun {
    const char* name;
    int platform, version;
    Ranges ram, eeprom;
    std::function<bool(Rig&)> run;
};
const std::vector<CalibrationRun> kCalibrationRuns = {
    {"zero, platform 5", 5, 0, {{130, 2}}, {{130, 2}},
     [](Rig& r) {
         r.sensor.memory().gasPpm = 0;
         return CalCO2SinglePoint(r.ctx(), 1, false, kCalZero, "");
     }},
    {"zero, platform 6 channel 12", 6, 0, {{74, 2}} /* its detector reading, pinned */,
     {{48, 2}},
     [](Rig& r) {
         r.putRamWord(74, 4096);
         return CalCO2SinglePoint(r.ctx(), 12, false, kCalZero, "");
     }},
    // A window shows the ratio before the zero is taken, so the image holds an older one.
    {"zero, platform 7", 7, 1, {}, {{14, 2}},
     [](Rig& r) {
         return SensorMemRead(r.ctx(), 0, 40, 2, false, false) &&
                CalCO2SinglePoint(r.ctx(), kPlatformChannel, false, kCalZero, "");
     }},
    // A window holds the zero word it shows (else the read of it, made just before the
    // write, would be the write's own request).
    {"fresh-air zero word, platform 5", 5, 0, {{130, 2}}, {{130, 2}},
     [](Rig& r) {
         return SensorMemRead(r.ctx(), 0, 130, 2, false, false) &&
                CalCO2SinglePoint(r.ctx(), 1, false, kCalFreshAir, "");
     }},
    {"fresh-air zero word, platform 6", 6, 0, {}, {{46, 2}},
     [](Rig& r) {
         return SensorMemRead(r.ctx(), 0, 46, 2, true, false) &&
                CalCO2SinglePoint(r.ctx(), kPlatformChannel, false, kCalFreshAir, "");
     }},
    {"span, platform 5", 5, 0, {{0, 2}, {138, 2}, {214, 4}}, {{0, 2}, {138, 2}, {214, 4}},
     [](Rig& r) { return CalCO2Span(r.ctx(), 1, "6000", false); }},
    {"span, platform 6", 6, 0, {}, {{444, 34}},
     [](Rig& r) { return CalCO2Span(r.ctx(), kPlatformChannel, "6500", false); }},
    // And the word of the detector code it reads.
    {"span, platform 7", 7, 1, {}, {{580, 34}, {976, 2}, {1002, 2}},
     [](Rig& r) { return CalCO2SpanPlatform7(r.ctx(), 1000); }},
    {"temperature, platform 5", 5, 0, {{128, 2}}, {{128, 2}},
     [](Rig& r) { return CalTemp(r.ctx(), 30.0f, kPlatformChannel, false); }},
    {"temperature, platform 6", 6, 0, {}, {{308, 34}},
     [](Rig& r) { return CalTemp(r.ctx(), 30.0f, kPlatformChannel, false); }},
    {"temperature, platform 7", 7, 1, {}, {{512, 34}},
     [](Rig& r) { return CalTemp(r.ctx(), 30.0f, kPlatformChannel, false); }},
    {"O2 zero", 7, 1, {}, {{760, 2}},
     [](Rig& r) {
         r.sensor.memory().oxygenPercent = 0;
         return CalO2Zero(r.ctx());
     }},
    {"O2 span", 7, 1, {}, {{0, 2}},
     [](Rig& r) {
         r.putRamWord(38, 12000);
         return CalO2Span(r.ctx(), 2000);
     }},
};

// The image as a run starts.
struct ImageBefore {
    explicit ImageBefore(const Context& ctx) : ee(ctx.EeImage), ram(ctx.RamImage) {}
    decltype(Context::EeImage) ee;
    decltype(Context::RamImage) ram;
};

// The image holds the sensor's byte wherever it knows one (read, or changed since the start):
// EEPROM but platform 5's (its definition's tables), RAM but what the sensor measures into
// and platform 5's zero reference (its span stores it again in the image alone).
void expectImageAsSensor(Rig& rig, const ImageBefore& before, const std::string& when) {
    const Context& ctx = rig.ctx();
    const bool five = rig.sensor.memory().platform == 5;
    for (size_t a = 0; a < rig.ee().size() && !five; ++a) {
        const bool known = ctx.EeRead[a] || ctx.EeImage[a] != before.ee[a];
        EXPECT_TRUE(!known || ctx.EeImage[a] == rig.ee()[a]) << "EEPROM " << a << when;
    }
    for (int a = 0; a < 256; ++a) {
        const bool known = ctx.RamRead[a] || ctx.RamImage[a] != before.ram[a];
        const bool measured = rig.sensor.memory().liveWritten[a] || (five && a / 2 == 108);
        EXPECT_TRUE(!known || measured || ctx.RamImage[a] == rig.ram()[a]) << "RAM " << a << when;
    }
}

// Whichever request a sensor first refuses, the calibration says it failed, and what the
// image holds is still what the sensor holds: a failed calibration leaves nothing in the
// image for the next send to write, nor a reading it never got in the service record.
TEST(CalibrationOnAFailingSensor, FailsAndLeavesTheImageAsTheSensorHasIt) {
    for (const CalibrationRun& c : kCalibrationRuns) {
        SCOPED_TRACE(c.name);
        // Only reads are refused here: a write the sensor refuses leaves its words in the
        // image for the user to send again, as any edit.
        std::vector<int> reads;  // the requests that were reads, by their place in the run
        int lastWrite = -1;
        {
            Rig whole(c.platform, c.version);
            ASSERT_TRUE(c.run(whole)) << whole.ctx().ErrorText;
            const auto& frames = whole.sensor.requests();
            for (int i = 0; i < static_cast<int>(frames.size()); ++i) {
                if ((frames[i][0] & 0xB0) == 0x80) {  // no command bits
                    reads.push_back(i);
                } else {
                    lastWrite = i;
                }
            }
        }
        ASSERT_FALSE(reads.empty());
        {  // A record that cannot keep what the first write replaces stops it unsent.
            Rig rig(c.platform, c.version);
            const ImageBefore before(rig.ctx());
            Notes notes;
            notes.refuse = true;
            rig.ctx().serviceRecorder = &notes;
            EXPECT_FALSE(c.run(rig));
            expectImageAsSensor(rig, before, ", refused by the record");
        }
        for (const int answered : reads) {
            Rig rig(c.platform, c.version);
            rig.sensor.answerOnly(answered);
            const ImageBefore before(rig.ctx());
            Notes notes;
            rig.ctx().serviceRecorder = &notes;
            // The longest the procedure goes without a look at its events once the failing
            // read has been sent (the pump copies its handlers, so the state lives out here).
            int64_t lookedAt = -1, longestMs = 0;
            rig.t.pump.onEvents([&] {
                const int64_t now = rig.t.clock.tickMs();
                if (lookedAt >= 0) longestMs = std::max(longestMs, now - lookedAt);
                if (lookedAt >= 0 || static_cast<int>(rig.sensor.requests().size()) > answered)
                    lookedAt = now;
            });
            // Neither a success nor an as-left reading.
            EXPECT_FALSE(c.run(rig) || std::count(notes.kept.begin(), notes.kept.end(),
                                                  ServiceRecorder::Note::AsLeft) > 0)
                << answered;
            // A reading taken after the last write only shows where the calibration landed.
            if (answered > lastWrite) continue;
            EXPECT_FALSE(rig.ctx().ErrorText.empty()) << answered;
            // It gives up with the read that failed: no settling is waited out after it.
            EXPECT_LT(longestMs, 1000) << answered;
            expectImageAsSensor(rig, before, ", after " + std::to_string(answered));
        }
    }
}

// A calibration writes its own words and nothing else: every other EEPROM byte, and every RAM
// byte the sensor does not measure into, is as it was. Its communication log names each read
// by its address list or by its range, never both. (Platform 5 saves its RAM words to its
// EEPROM; RAM 230 is the timeout reset every EEPROM write starts with.)
TEST(CalibrationOnASensor, ChangesOnlyItsOwnWords) {
    const auto inside = [](const Ranges& ranges, int a) {
        return std::any_of(ranges.begin(), ranges.end(),
                           [a](const auto& r) { return a >= r.first && a < r.first + r.second; });
    };
    for (const CalibrationRun& c : kCalibrationRuns) {
        SCOPED_TRACE(c.name);
        Rig rig(c.platform, c.version);
        rig.sensor.memory().gasPpm = 1000;
        const auto memory = rig.sensor.memory();
        const auto logDir = std::filesystem::temp_directory_path() /
                            ("kelvo-cal-log-" + std::to_string(std::random_device{}()));
        std::error_code ignored;
        std::filesystem::remove_all(logDir, ignored);
        std::filesystem::create_directories(logDir);
        std::filesystem::copy(rig.ctx().AppDir, logDir);  // the definition files
        rig.ctx().AppDir = logDir.string();
        rig.ctx().ComLogEnabled = true;
        // Edits made in the window beside each word stay unsent, and stay in the image.
        Context& ctx = rig.ctx();
        for (const auto& [first, count] : c.ram) {
            for (const int a : {first - 1, first + count}) {
                if (a < 0 || inside(c.ram, a) || memory.liveWritten[a]) continue;
                ctx.RamImage[a] = static_cast<float>((memory.ram[a] + 1) % 256);
                ctx.RamRead[a] = true;
            }
        }
        for (const auto& [first, count] : c.eeprom) {
            for (const int a : {first - 1, first + count}) {
                if (a < 0 || inside(c.eeprom, a)) continue;
                ctx.EeImage[a] = static_cast<float>((memory.eeprom[a] + 1) % 256);
                ctx.EeRead[a] = true;
            }
        }
        const auto edited = ctx.EeImage;
        ASSERT_TRUE(c.run(rig)) << rig.ctx().ErrorText;
        int reads = 0;
        {
            std::ifstream log(logDir / link::kComLogFileName);
            for (std::string line; std::getline(log, line);) {
                int list = 0, count = 0;
                if (std::sscanf(line.c_str(), "READ(%d %*s %d", &list, &count) != 2) continue;
                ++reads;
                EXPECT_TRUE(list == 0 || count == 0) << line;
            }
        }  // closed before it is removed: Windows keeps an open file
        EXPECT_GT(reads, 0);
        std::filesystem::remove_all(logDir, ignored);
        for (const auto& [first, count] : c.eeprom) {
            for (const int a : {first - 1, first + count}) {
                if (a >= 0 && !inside(c.eeprom, a)) {
                    EXPECT_EQ(ctx.EeImage[a], edited[a]) << "EEPROM image " << a;
                }
            }
        }
        const auto& now = rig.sensor.memory();
        for (int a = 0; a < static_cast<int>(now.eeprom.size()); ++a) {
            if (!inside(c.eeprom, a)) {
                EXPECT_EQ(now.eeprom[a], memory.eeprom[a]) << "EEPROM " << a;
            }
        }
        for (int a = 0; a < 256; ++a) {
            if (!inside(c.ram, a) && !now.liveWritten[a] && a != 230) {
                EXPECT_EQ(now.ram[a], memory.ram[a]) << "RAM " << a;
            }
        }
    }
}

}  // namespace
}  // namespace kelvo
