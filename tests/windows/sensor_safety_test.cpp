// What the windows must never do to a sensor: send bytes that were never read, write past
// what the window shows, calibrate the wrong channel, calibrate to a value nobody typed.
// A calibration question says, below its own text, which unit the answer is typed in; every
// calibration asks before it sends, and a reference far from the reading needs a second Yes.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QStatusBar>
#include <algorithm>

#include "common/values.h"
#include "link/link_frames.h"
#include "link/sensor_command.h"
#include "model/channels.h"
#include "model/identification.h"
#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

using virtualsensor::SensorMemory;

struct Written {
    std::vector<int> addresses;  // every EEPROM byte written, in order
    int unlocksBefore = 0;       // unlock commands before the first write
    int locksAfter = 0;          // lock commands after the last write
    int otherCommands = 0;
};

// Decodes the large-EEPROM write frames (8 + n, high, low, data, sum) and the lock commands
// among what the sensor received.
Written largeEepromWrites(const std::vector<Bytes>& requests, int protocol) {
    const Bytes unlock = *link::commandFrame(kUnlockEeprom, protocol);
    const Bytes lock = *link::commandFrame(kLockEeprom, protocol);
    Written w;
    for (const Bytes& f : requests) {
        if (f == unlock) {
            (w.addresses.empty() ? w.unlocksBefore : w.otherCommands) += 1;
        } else if (f == lock) {
            ++w.locksAfter;
        } else if (f.size() >= 5 && f[0] >= 9 && f[0] <= 12 && f.size() == f[0] - 8u + 4u) {
            if (w.locksAfter) ++w.otherCommands;  // a write after a lock
            for (int k = 0; k < f[0] - 8; ++k) w.addresses.push_back(f[1] * 256 + f[2] + k);
        }
    }
    return w;
}

double shownTemperature(Context& ctx, int channel) {
    const float raw = GetChannelValue(ctx, static_cast<float>(channel), false);
    return ParseNumber(FormatChannelValue(ctx, raw, static_cast<float>(channel), false, true));
}

using PlatformSevenSend = OnEachSensor;

TEST_P(PlatformSevenSend, WithoutEditsWritesOnlyWhatTheWindowShowsInOrderAndChangesNothing) {
    const SensorMemory before = w.rig.sensor.memory();
    w.run(kActionSensorWrite);
    EXPECT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
    EXPECT_EQ(w.rig.sensor.memory().eeprom, before.eeprom);

    std::vector<int> expected{16};
    for (int a = 834; a <= 857; ++a) expected.push_back(a);
    for (int a = 925; a <= 932; ++a) expected.push_back(a);
    expected.push_back(1023);
    for (int a = 393; a <= 396; ++a) expected.push_back(a);
    const Written written = largeEepromWrites(w.rig.sensor.requests(), GetProtocol(w.ctx()));
    EXPECT_EQ(written.addresses, expected);
    EXPECT_EQ(written.unlocksBefore, 1);
    EXPECT_EQ(written.locksAfter, 1);
    EXPECT_EQ(written.otherCommands, 0);
    EXPECT_TRUE(w.rig.sensor.eepromLocked());
    EXPECT_EQ(w.window->statusBar()->currentMessage().toStdString(),
              "Sent 38 bytes to sensor " + SerialText(w.ctx()) + ".");
}

INSTANTIATE_TEST_SUITE_P(EveryVersion, PlatformSevenSend,
                         ::testing::Values(SensorKind{7, 1}, SensorKind{7, 2}), kindName);

using CancelledReadThenSend = OnEachSensor;

// The read is cancelled at every point along the way in turn; whatever it left behind,
// a send afterwards carries the sensor's own values.
TEST_P(CancelledReadThenSend, LeavesTheSensorAsItWas) {
    const SensorMemory factory = w.rig.sensor.memory();
    for (int events = 1; events < 400; events += 37) {
        w.cancelAfterEvents(events);
        w.run(kActionSensorRead);
        w.cancelAfterEvents(0);
        if (w.window->cbxSimulated->isChecked()) w.window->SimMode(false);
        w.run(kActionSensorWrite);
        EXPECT_EQ(w.rig.sensor.memory().eeprom, factory.eeprom) << "cancelled after " << events;
        for (int a : {216, 217, 223, 224, 208, 162, 196}) {
            EXPECT_EQ(w.rig.sensor.memory().ram[a], factory.ram[a])
                << "RAM " << a << ", cancelled after " << events;
        }
    }
    EXPECT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
}

INSTANTIATE_TEST_SUITE_P(EveryPlatform, CancelledReadThenSend,
                         ::testing::Values(SensorKind{5, 0}, SensorKind{5, 3}, SensorKind{6, 0},
                                           SensorKind{6, 1}, SensorKind{6, 3}, SensorKind{61, 0},
                                           SensorKind{7, 2}),
                         kindName);

using Calibration = OnEachSensor;

TEST_P(Calibration, MovesThePlatformsTemperatureToTheReference) {
    const int channel = kind.platform == 5 ? 0 : kind.platform == 6 ? 2 : 4;
    const double reference = shownTemperature(w.ctx(), channel) + 4.5;
    w.rig.t.prompter.inputAnswers = {NumberText(reference)};
    w.run(kActionCalTemp);
    ASSERT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
    EXPECT_NEAR(shownTemperature(w.ctx(), channel), reference, 0.3);
    EXPECT_EQ(w.window->statusBar()->currentMessage(), "Temperature calibrated.");
}

// Platform 7 has one single-point calibration, its zero: "Fresh air" and "Other" are not
// offered, and the codes do nothing if they come anyway.
TEST(SensorSafety, APlatformSevenSensorIsNeverZeroedByAFreshAirOrOtherCalibration) {
    WindowOnSensor w(7, 1);
    EXPECT_FALSE(w.window->mCalCO2Background->isVisible());
    EXPECT_FALSE(w.window->mCalCO2Other->isVisible());
    EXPECT_TRUE(w.window->findChild<QAction*>(QStringLiteral("mCalCO2zero"))->isVisible());
    const SensorMemory before = w.rig.sensor.memory();
    w.rig.t.prompter.inputAnswers = {"400"};
    w.run(kActionCalCO2Background);
    w.run(kActionCalCO2Other);
    EXPECT_EQ(w.rig.sensor.memory().eeprom, before.eeprom);
    EXPECT_TRUE(w.rig.t.prompter.messages().empty());
}

TEST(SensorSafety, CO2SpanCalibratesThePlatformSixCO2Channel) {
    WindowOnSensor w(6, 0);
    w.rig.sensor.memory().gasPpm = 1500;
    w.rig.t.prompter.inputAnswers = {"1500"};
    w.run(kActionCalCO2Span);
    EXPECT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
    EXPECT_EQ(w.window->statusBar()->currentMessage(), "CO2 span calibrated.");
}

// Every prompt that asks for a reference value: a text without a number calibrates
// nothing and says so; an empty answer is a quiet cancel.
TEST(SensorSafety, ACalibrationAnswerThatIsNotANumberIsRefusedAndNothingIsSent) {
    const struct {
        int16_t code;
        const char* answer;
        SensorKind kind = {6, 0};
    } cases[] = {
        {kActionCalTemp, "abc"},     {kActionCalTemp, "-"},    {kActionCalCO2Other, "lots"},
        {kActionCalCO2Span, "ppm"},  {kActionCalTemp, ""},     {kActionCalCO2Other, ""},
        {kActionCalCO2Other, "1e3"}, {kActionCalTemp, "=2+5"}, {kActionCalCO2Span, "4 0 0"},
        // Platform 61's O2 span, which asks in its own words.
        {kActionCalO2Span, "", {61, 0}},
        {kActionCalO2Span, "abc", {61, 0}}};
    for (const auto& c : cases) {
        WindowOnSensor w(c.kind.platform, c.kind.version);
        const SensorMemory before = w.rig.sensor.memory();
        w.rig.t.prompter.inputAnswers = {c.answer};
        w.run(c.code);
        if (c.code == kActionCalO2Span) {
            EXPECT_EQ(w.rig.t.prompter.prompts,
                      std::vector<std::string>{"Enter correct O2 reading\n(%)"});
        }
        EXPECT_TRUE(w.host.progress.filter("Calibrating").isEmpty()) << c.answer;
        const auto messages = w.rig.t.prompter.messages();
        if (std::string(c.answer).empty()) {
            EXPECT_TRUE(messages.empty()) << c.code;
        } else {
            ASSERT_EQ(messages.size(), 1u) << c.answer;
            EXPECT_EQ(messages[0], "\"" + std::string(c.answer) +
                                       "\" is not a number. Nothing was sent to the sensor.");
        }
        EXPECT_TRUE(w.rig.sensor.requests().empty()) << c.answer;
        EXPECT_EQ(w.rig.sensor.memory().eeprom, before.eeprom) << c.answer;
    }
}

TEST_P(Calibration, PromptsSayTheUnitOfTheAnswerAndAnEmptyAnswerSendsNothing) {
    w.host.spanNoteAnswer = true;
    // Empty answers: each question is asked, and nothing reaches the sensor.
    w.run(kActionCalTemp);
    w.run(kActionCalCO2Other);
    w.run(kActionCalCO2Span);
    // The high-range platform-61 unit shows CO2 in %.
    const std::string co2 = kind.platform == kPlatform61 ? "(%)" : "(ppm)";
    const std::vector<std::string> expected = {
        "Please enter correct temperature\n(\xC2\xB0" "C)",
        "Please enter CO2 concentration\n" + co2,
        "Please enter span gas concentration\n" + co2,
    };
    // Platform 7 has no "Other" reference calibration: it asks nothing there.
    std::vector<std::string> asked = w.rig.t.prompter.prompts;
    if (kind.platform == kPlatform7) asked.insert(asked.begin() + 1, expected[1]);
    EXPECT_EQ(asked, expected);
    EXPECT_TRUE(w.rig.sensor.requests().empty());
}

INSTANTIATE_TEST_SUITE_P(EveryPlatform, Calibration,
                         ::testing::Values(SensorKind{5, 0}, SensorKind{6, 0}, SensorKind{61, 0},
                                           SensorKind{7, 1}),
                         kindName);

enum class Reply { Enter, Escape, FarNo, FarYes };

TEST(CalibrationQuestions, EscapeOrNoToAFarReferenceSendsNothingEnterOrYesCalibrates) {
    using Memory = virtualsensor::SensorMemory;
    const struct {
        SensorKind kind;
        int16_t code;
        const char* answer;
        void (*place)(Memory&, bool far);  // the gas the sensor sits in
    } cases[] = {
        {{5, 0}, kActionCalCO2Zero, "", [](Memory& m, bool far) { m.gasPpm = far ? 400 : 0; }},
        {{6, 0}, kActionCalCO2Background, "", [](Memory& m, bool f) { m.gasPpm = f ? 1500 : 400; }},
        {{5, 0}, kActionCalCO2Other, "800", [](Memory& m, bool f) { m.gasPpm = f ? 300 : 800; }},
        {{6, 0}, kActionCalCO2Span, "1500", [](Memory& m, bool f) { m.gasPpm = f ? 400 : 1500; }},
        // Far below, not above: shifted 17 degrees down, the table's first entry (-40 C)
        // would leave its word, and that calibration is refused.
        {{61, 0}, kActionCalTemp, "23", [](Memory& m, bool f) { m.airTemperature = f ? 10 : 23; }},
        {{7, 1}, kActionCalO2Zero, "", [](Memory& m, bool f) { m.oxygenPercent = f ? 20.9 : 0; }},
        {{61, 0},
         kActionCalO2Span,
         "20.9",
         [](Memory& m, bool f) { m.oxygenPercent = f ? 15 : 20.9; }},
    };
    for (const auto& c : cases) {
        for (const Reply reply : {Reply::Enter, Reply::Escape, Reply::FarNo, Reply::FarYes}) {
            const bool far = reply == Reply::FarNo || reply == Reply::FarYes;
            const bool goesOn = reply == Reply::Enter || reply == Reply::FarYes;
            const std::string name =
                std::to_string(c.code) + " reply " + std::to_string(int(reply));
            WindowOnSensor w(c.kind.platform, c.kind.version, [&](Memory& m) { c.place(m, far); });
            auto& prompter = w.rig.t.prompter;
            prompter.inputAnswers = {c.answer};
            prompter.proceedAnswers = {reply != Reply::Escape};
            prompter.confirmAnswers = {reply == Reply::FarYes};
            w.run(c.code);
            const auto& frames = w.rig.sensor.requests();
            const bool wrote = std::any_of(frames.begin(), frames.end(),
                                           [](const Bytes& f) { return !(f[0] & 0x80); });
            EXPECT_EQ(wrote, goesOn) << name;
            ASSERT_EQ(prompter.questions.size(), far && reply != Reply::Escape ? 2u : 1u) << name;
            EXPECT_NE(prompter.questions[0].find("The sensor reads "), std::string::npos) << name;
            EXPECT_NE(prompter.questions[0].find("Not yet steady"), std::string::npos) << name;
            // Only a calibration to a far reference may fail its check afterwards.
            if (reply != Reply::FarYes) {
                EXPECT_TRUE(prompter.messages().empty()) << name << ": " << prompter.messages()[0];
            }
        }
    }
}

TEST(CalibrationQuestions, AfterAMinuteOfPollsTellTheSpreadAndDriftOfTheReading) {
    WindowOnSensor w(5, 0, [](virtualsensor::SensorMemory& m) { m.gasPpm = 0; });
    for (int i = 0; i < 31; ++i) w.poll();
    w.rig.t.prompter.proceedAnswers = {false};
    w.run(kActionCalCO2Zero);
    ASSERT_EQ(w.rig.t.prompter.questions.size(), 1u);
    EXPECT_NE(w.rig.t.prompter.questions[0].find("Over the last minute: spread "),
              std::string::npos)
        << w.rig.t.prompter.questions[0];
}

TEST(CalibrationQuestions, ACheckAgainstAReferenceSaysWhetherToCalibrateAndWritesNothing) {
    for (const char* reference : {"1000", "600"}) {
        WindowOnSensor w(6, 0, [](virtualsensor::SensorMemory& m) { m.gasPpm = 1000; });
        w.rig.t.prompter.inputAnswers = {reference};
        w.run(kActionCheckCO2);
        const auto& frames = w.rig.sensor.requests();
        EXPECT_TRUE(std::all_of(frames.begin(), frames.end(),
                                [](const Bytes& f) { return (f[0] & 0x80) != 0; }))
            << reference;
        ASSERT_EQ(w.rig.t.prompter.messages().size(), 1u) << reference;
        const std::string said = w.rig.t.prompter.messages()[0];
        EXPECT_EQ(said.find("within") != std::string::npos, std::string(reference) == "1000")
            << said;
    }
}

}  // namespace
}  // namespace kelvo::test
