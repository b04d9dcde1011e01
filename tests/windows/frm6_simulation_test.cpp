// The platform-6 simulation: the four outputs worked out from the settings on screen and
// the channel values typed in, the digital output and the trigger test.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "windows/channel_panel.h"
#include "windows/platform5/shape_picture.h"
#include "windows/platform6/frm6.h"
#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

// The factory platform-6 sensor in simulated mode: function 1 on CO2 (A 400, B 1200,
// rising over the whole range) drives Out 1.
struct Simulated : WindowOnSensor {
    Simulated() : WindowOnSensor(6, 0), f(static_cast<frm6*>(window)) {
        f->SimMode(true);
        for (int k = 0; k < frm6::kChannelRows; ++k)
            if (f->pctChannels->lblCH_Name[k]->text() == "CO2") co2 = f->pctChannels->txbCHact[k];
    }
    QString out1(const char* co2Value, const char* baseLine = "0") {
        co2->setText(co2Value);
        f->txbOutBaseLine[0]->setText(baseLine);
        f->Simulate();
        return f->txbOutOut[0]->text();
    }
    frm6* f;
    QLineEdit* co2 = nullptr;
};

TEST(Frm6Simulation, OutputsFollowFunctionsBaseLineAndInvert) {
    Simulated s;
    ASSERT_NE(s.co2, nullptr);
    ASSERT_STREQ(kShapePictureNames[8], "pctFPslope");
    ASSERT_FALSE(s.f->functionShape[0][8]->isHidden());
    const struct {
        const char* co2;
        const char* baseLine;
        bool invert;
        const char* out;
    } cases[] = {{"800", "0", false, "0"},     // halfway adds nothing
                 {"1200", "0", false, "100"},  // at B: +100
                 {"300", "100", false, "0"},   // below A: -100
                 {"800", "50", false, "50"},  {"1000", "0", false, "50"},
                 {"400", "-50", false, "0"},   // below 0 the output rests at 0
                 {"400", "-50", true, "100"},  // -150 held at -100, inverted
                 {"800", "-50", true, "50"}};
    for (const auto& c : cases) {
        s.f->cbxOut6Invert[0]->setChecked(c.invert);
        EXPECT_EQ(s.out1(c.co2, c.baseLine), c.out) << c.co2 << " " << c.baseLine << c.invert;
    }
    // Without functions, base line -50 gives 0, or 50 inverted.
    s.f->cbxFout[0][0]->setChecked(false);
    s.f->cbxOut6Invert[0]->setChecked(false);
    EXPECT_EQ(s.out1("2000", "-50"), "0");
    s.f->cbxOut6Invert[0]->setChecked(true);
    EXPECT_EQ(s.out1("2000", "-50"), "50");
}

TEST(Frm6Simulation, AFunctionWithEqualLimitsSwitchesAndKeepsTheSimulationRunning) {
    Simulated s;
    s.f->txbFa[0]->setText("800");
    s.f->txbFb[0]->setText("800");
    EXPECT_EQ(s.out1("700"), "0");
    EXPECT_EQ(s.out1("800"), "100");
    s.f->SimMode(true);
    s.f->activationPass();
    EXPECT_EQ(s.f->txbOutOut[0]->text(), "100");
    EXPECT_TRUE(s.rig.t.prompter.messages().empty());
}

TEST(Frm6Simulation, ADigitalOutputHoldsUntilTheSumReachesAnEnd) {
    Simulated s;
    s.f->cbxFout[0][0]->setChecked(false);
    s.f->optOut6Digital[0]->setChecked(true);
    s.f->txbOutOut[0]->setText("0");
    const struct {
        const char* baseLine;
        const char* out;
    } steps[] = {{"40", "0"}, {"99", "0"}, {"100", "100"}, {"40", "100"}, {"0", "0"}};
    for (const auto& step : steps)
        EXPECT_EQ(s.out1("800", step.baseLine), step.out) << step.baseLine;
}

TEST(Frm6Simulation, TheDigitalOutputAddsOnlyWhileActive) {
    Simulated s;
    s.f->cbxFout[0][0]->setChecked(false);
    s.f->cbxDigout[0]->setChecked(true);
    s.f->txbDigLevel->setText("50");
    EXPECT_TRUE(s.f->cbxDigActive->isVisibleTo(s.f));
    s.f->cbxDigActive->setChecked(false);
    EXPECT_EQ(s.out1("800"), "0");
    s.f->cbxDigActive->setChecked(true);
    EXPECT_EQ(s.out1("800"), "50");
    // A flipped sign reaches the output on the loop's next pass, without another edit.
    QTest::mouseClick(s.f->pctDigPSign, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(s.f->txbOutOut[0]->text(), "0");
}

TEST(Frm6Simulation, ATriggerTestOfFiveMinutesRunsThreeHundredSeconds) {
    Simulated s;
    s.f->cbxFout[0][0]->setChecked(false);
    s.f->cbxDigTout[0]->setChecked(true);
    s.f->txbDigTlevel->setText("70");
    s.f->txbDigTtime->setText("0");
    s.f->btnDigTrig->click();
    EXPECT_FALSE(s.f->triggerTestRunning());  // time 0: nothing to run
    s.f->txbDigTtime->setText("5");
    s.f->lblDigTunit->setText("Min");
    s.f->btnDigTrig->click();
    ASSERT_TRUE(s.f->triggerTestRunning());
    s.rig.t.clock.advance(299'000);
    s.f->activationPass();
    EXPECT_TRUE(s.f->triggerTestRunning());
    EXPECT_EQ(s.f->txbOutOut[0]->text(), "70");
    s.rig.t.clock.advance(2'000);
    s.f->activationPass();
    EXPECT_FALSE(s.f->triggerTestRunning());
    EXPECT_EQ(s.f->txbOutOut[0]->text(), "0");
}

}  // namespace
}  // namespace kelvo::test
