// A calibration question says, below its own text, which unit the answer is typed in; every
// calibration asks before it sends, and a reference far from the reading needs a second Yes.
#include <gtest/gtest.h>

#include <algorithm>

#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

class CalibrationPrompts : public ::testing::TestWithParam<SensorKind> {};

TEST_P(CalibrationPrompts, SayTheUnitOfTheAnswerAndAnEmptyAnswerSendsNothing) {
    WindowOnSensor w(GetParam().platform, GetParam().version);
    w.host.spanNoteAnswer = true;
    // Empty answers: each question is asked, and nothing reaches the sensor.
    w.run(kActionCalTemp);
    w.run(kActionCalCO2Other);
    w.run(kActionCalCO2Span);
    // The high-range platform-61 unit shows CO2 in %.
    const std::string co2 = GetParam().platform == kPlatform61 ? "(%)" : "(ppm)";
    const std::vector<std::string> expected = {
        "Please enter correct temperature\n(\xC2\xB0" "C)",
        "Please enter CO2 concentration\n" + co2,
        "Please enter span gas concentration\n" + co2,
    };
    // Platform 7 has no "Other" reference calibration: it asks nothing there.
    std::vector<std::string> asked = w.rig.t.prompter.prompts;
    if (GetParam().platform == kPlatform7) asked.insert(asked.begin() + 1, expected[1]);
    EXPECT_EQ(asked, expected);
    EXPECT_TRUE(w.rig.sensor.requests().empty());
}

INSTANTIATE_TEST_SUITE_P(EveryPlatform, CalibrationPrompts,
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
        {{61, 0}, kActionCalTemp, "23", [](Memory& m, bool f) { m.airTemperature = f ? 40 : 23; }},
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

}  // namespace
}  // namespace kelvo::test
