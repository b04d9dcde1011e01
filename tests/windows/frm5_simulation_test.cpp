// Simulated mode of the platform-5 window: outputs computed from typed channel values.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "settings/function_shapes.h"
#include "support/test_context.h"
#include "windows/channel_panel.h"
#include "windows/fake_window_host.h"
#include "windows/platform5/frm5.h"
#include "windows/platform5/shape_picture.h"

namespace kelvo::test {
namespace {

class Frm5SimulationTest : public ::testing::Test {
protected:
    Frm5SimulationTest() : window(t.ctx, host) {
        t.ctx.AppDir = KELVO_SOURCE_DIR "/data";
        t.ctx.RamImage[65] = 231;
        for (auto& read : t.ctx.RamRead) read = true;
        t.ctx.RamImage[190] = 128;  // both base lines at 0 %
        t.ctx.RamImage[194] = 128;
        window.FormUpdateInit();
        window.FormUpdate();
        window.SimMode(true);
        window.show();
    }

    // Function 0 on the CO2 channel, 400..2000, positive sign and slope, driving Out 1.
    void co2Function() {
        window.lblFchannel[0]->setText(window.pctChannels->lblCH_Name[1]->text());
        window.txbFa[0]->setText("400");
        window.txbFb[0]->setText("2000");
        window.cbxFout1[0]->setChecked(true);
        window.FunkTypeUpdate(0, false, true, true);
    }
    QString out(int j) {
        window.Simulate();
        return window.txbOutOut[j]->text();
    }

    TestContext t;
    FakeWindowHost host;
    frm5 window;
};

TEST_F(Frm5SimulationTest, AFunctionScalesItsChannelIntoTheOutput) {
    ASSERT_FALSE(window.pctChannels->lblCH_Name[1]->text().isEmpty());
    co2Function();
    window.pctChannels->txbCHact[1]->setText("1200");
    EXPECT_EQ(out(0), "50");
    EXPECT_EQ(out(1), "0");
    // Outside A..B the value is held at the nearer end.
    window.pctChannels->txbCHact[1]->setText("5000");
    EXPECT_EQ(out(0), "100");
    window.pctChannels->txbCHact[1]->setText("10");
    EXPECT_EQ(out(0), "0");
}

TEST_F(Frm5SimulationTest, AFunctionWithoutASpanAddsNothing) {
    co2Function();
    window.txbFb[0]->setText("400");
    window.pctChannels->txbCHact[1]->setText("400");
    window.txbOutBaseLine[0]->setText("30");
    EXPECT_EQ(out(0), "30");
}

TEST_F(Frm5SimulationTest, ADigitalOutputKeepsItsStateBetweenTheEnds) {
    co2Function();
    window.optOut5Digital[0]->setChecked(true);
    window.pctChannels->txbCHact[1]->setText("1360");  // 60 %
    window.txbOutOut[0]->setText("100");
    EXPECT_EQ(out(0), "100");
    window.txbOutOut[0]->setText("0");
    EXPECT_EQ(out(0), "0");
    window.pctChannels->txbCHact[1]->setText("2000");
    EXPECT_EQ(out(0), "100");
}

TEST_F(Frm5SimulationTest, ANegativeTriggerPullsItsOutputDownWhileTheTestRuns) {
    window.txbOutBaseLine[0]->setText("50");
    window.txbDigTlevel->setText("-30");
    window.txbDigTtime->setText("2");
    window.lblDigTunit->setText("Sec");
    window.cbxDigTout[0]->setChecked(true);
    EXPECT_EQ(out(0), "50");

    window.btnDigTrig->click();
    ASSERT_TRUE(window.triggerTestRunning());
    t.clock.advance(500);
    window.activationPass();
    EXPECT_EQ(window.txbOutOut[0]->text(), "20");
    t.clock.advance(2000);
    window.activationPass();
    EXPECT_FALSE(window.triggerTestRunning());
    EXPECT_EQ(window.txbOutOut[0]->text(), "50");
}

TEST_F(Frm5SimulationTest, EditingAFieldRecomputesTheOutputs) {
    window.txbOutBaseLine[0]->setText("25");
    window.FormRead();
    window.FormUpdate();
    EXPECT_EQ(window.txbOutOut[0]->text(), "25");
}

// What a picture shows a function adding to its output at A (left) and at B (right), in
// percent of the drawing's height above its zero line.
std::pair<double, double> drawnLevels(const ShapePicture* picture) {
    const QPolygonF line = picture->shapeLine();
    const double zero = picture->zeroLineY();
    const double height = picture->height() - 8.0;  // the drawing's margins
    return {(zero - line.first().y()) / height * 100, (zero - line.last().y()) / height * 100};
}

// A technician reads what the output will do off the picture: for every shape the levels
// it draws at A and at B are those the simulation adds to the output there. A negative
// sign pulls the output down from a base line of 100 %.
TEST_F(Frm5SimulationTest, EveryPictureDrawsWhatTheSimulatedOutputDoes) {
    co2Function();
    for (int shape = 4; shape <= 7; ++shape) {
        const bool positiveSign = shapeSignBit(shape) == 0;
        window.FunkTypeUpdate(0, false, positiveSign, shapeSlopeBit(shape) == 1);
        const QString name = QStringLiteral("%1_0").arg(kShapePictureNames[shape]);
        const auto* picture = window.findChild<ShapePicture*>(name);
        ASSERT_FALSE(picture->isHidden()) << name.toStdString();
        const double base = positiveSign ? 0 : 100;
        window.txbOutBaseLine[0]->setText(QString::number(base));
        window.pctChannels->txbCHact[1]->setText("10");  // below A
        const double atA = out(0).toDouble() - base;
        window.pctChannels->txbCHact[1]->setText("5000");  // beyond B
        const double atB = out(0).toDouble() - base;
        EXPECT_EQ(drawnLevels(picture), std::pair(atA, atB)) << name.toStdString();
        // The digital picture of the same sign and slope steps between the same levels.
        const int digital =
            functionShapeFor(FunctionKind::Digital, positiveSign, shapeSlopeBit(shape) == 1);
        const auto* step = window.findChild<ShapePicture*>(
            QStringLiteral("%1_0").arg(kShapePictureNames[digital]));
        EXPECT_EQ(drawnLevels(step), std::pair(atA, atB)) << kShapePictureNames[digital];
    }
    // The trigger's negative sign is drawn pulling down, as a negative level does.
    EXPECT_LT(drawnLevels(window.pctDigTNsign).second, 0);
    EXPECT_GT(drawnLevels(window.pctDigTPsign).second, 0);
}

}  // namespace
}  // namespace kelvo::test
