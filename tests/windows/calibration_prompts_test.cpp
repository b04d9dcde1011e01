// A calibration question says, below its own text, which unit the answer is typed in.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kelvo::test
