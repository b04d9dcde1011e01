// The platform-5 window against a virtual sensor on the virtual clock: polling, reading,
// sending, and what happens when the sensor stops answering.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "model/channels.h"
#include "model/platform_profile.h"
#include "settings/platform5_codecs.h"
#include "support/virtual_sensor_rig.h"
#include "windows/channel_panel.h"
#include "windows/fake_window_host.h"
#include "windows/platform5/frm5.h"

namespace kelvo::test {
namespace {

class Frm5SensorTest : public ::testing::Test {
protected:
    Frm5SensorTest() : rig(5, 0), window(rig.ctx(), host) {
        // Where the platform-5 definition files lie, as in the program's working folder.
        rig.ctx().AppDir = KELVO_SOURCE_DIR "/data";
    }

    // The window is shown before its loop runs, as start-up shows it.
    void afterSeconds(double seconds) {
        window.show();
        rig.t.clock.advance(static_cast<int64_t>(seconds * 1000));
        window.activationPass();
    }
    void run(int16_t code) {
        window.show();
        rig.ctx().PendingAction = code;
        window.activationPass();
    }

    VirtualSensorRig rig;
    FakeWindowHost host;
    frm5 window;
};

TEST_F(Frm5SensorTest, PollsTheMeasuredValuesQuietly) {
    afterSeconds(2.5);
    EXPECT_TRUE(rig.t.prompter.messages().empty());
    EXPECT_FALSE(window.cbxSimulated->isChecked());
    // The sensor's own output level, as polled into the image.
    const auto& ram = rig.ctx().RamImage;
    EXPECT_EQ(ram[197], rig.sensor.memory().ram[197]);
    EXPECT_EQ(window.txbOutOut[0]->text().toStdString(),
              p5::outputLevelText(static_cast<uint16_t>(ram[197] * 256 + ram[198])));
    EXPECT_FALSE(window.pctChannels->txbCHact[1]->text().isEmpty());
    EXPECT_FALSE(rig.sensor.requests().empty());
}

TEST_F(Frm5SensorTest, OpeningShowsTheMeasuredValuesTheImageHoldsWithoutAsking) {
    ASSERT_TRUE(ReadSpans(rig.ctx(), WholeImageReads(kPlatform5)));
    rig.sensor.clearRecord();
    ASSERT_TRUE(window.FormUpdateInit());
    EXPECT_TRUE(rig.sensor.requests().empty());
    const auto& ram = rig.ctx().RamImage;
    EXPECT_EQ(window.pctChannels->txbCHact[1]->text().toStdString(),
              FormatChannelValue(rig.ctx(), ram[22] * 256 + ram[23], 1, false, false));
    EXPECT_EQ(window.txbOutOut[0]->text().toStdString(),
              p5::outputLevelText(static_cast<uint16_t>(ram[197] * 256 + ram[198])));
}

TEST_F(Frm5SensorTest, ASensorThatStopsAnsweringSendsTheWindowIntoSimulatedMode) {
    afterSeconds(2.5);
    rig.sensor.silentFor(1'000'000);
    afterSeconds(2.5);
    ASSERT_EQ(rig.t.prompter.messages(),
              (std::vector<std::string>{"No sensor detected, entering simulated mode."}));
    EXPECT_TRUE(window.cbxSimulated->isChecked());
    const size_t requests = rig.sensor.requests().size();
    afterSeconds(10);
    EXPECT_EQ(rig.sensor.requests().size(), requests);
    EXPECT_EQ(rig.t.prompter.messages().size(), 1u);
}

TEST_F(Frm5SensorTest, ReadFromSensorFillsTheWindowAndLeavesSimulatedMode) {
    rig.sensor.memory().ram[208] = 17;
    window.SimMode(true);
    run(1);
    EXPECT_TRUE(rig.t.prompter.messages().empty());
    EXPECT_FALSE(window.cbxSimulated->isChecked());
    EXPECT_EQ(rig.ctx().RamImage[65], 231);
    EXPECT_EQ(window.txbID->text(), "17");
    EXPECT_TRUE(host.progress.contains("Reading from sensor"));
}

TEST_F(Frm5SensorTest, AFailedReadStaysSimulatedAndSaysWhy) {
    rig.sensor.silentFor(1'000'000);
    run(1);
    ASSERT_EQ(rig.t.prompter.messages().size(), 1u);
    EXPECT_TRUE(window.cbxSimulated->isChecked());
}

TEST_F(Frm5SensorTest, SendToSensorStoresTheEditedId) {
    run(1);
    window.txbID->setText("12");
    run(2);
    EXPECT_TRUE(rig.t.prompter.messages().empty());
    EXPECT_EQ(rig.sensor.memory().ram[208], 12);
}

TEST_F(Frm5SensorTest, TwaResetReachesASensorWithIdentificationByte231) {
    run(12);
    EXPECT_TRUE(rig.t.prompter.messages().empty());
    EXPECT_EQ(rig.sensor.twaResets(), 1);
}

TEST_F(Frm5SensorTest, SaveInSimulatedModeStillReadsTheSensorFirst) {
    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("out.Set").toStdString();
    rig.sensor.silentFor(1'000'000);
    window.SimMode(true);
    rig.t.prompter.fileAnswers.push_back(path);
    run(4);
    EXPECT_EQ(rig.t.prompter.messages().size(), 1u);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

}  // namespace
}  // namespace kelvo::test
