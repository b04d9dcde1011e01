// Start-up with the real sensor windows: every virtual platform opens a live window that
// polls quietly, and leaving it brings the setup dialog back.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/frm_com_set.h"
#include "app/frm_msg.h"
#include "app/shell_fixture.h"
#include "app/start_up.h"
#include "support/virtual_sensor_rig.h"
#include "windows/sensor_windows.h"

namespace kelvo::test {
namespace {

struct Case {
    int platform;
    int version;
    WindowKind window;
};

class StartUpWindowsTest : public ShellTest, public ::testing::WithParamInterface<Case> {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        if (HasFatalFailure()) return;
        rig = std::make_unique<VirtualSensorRig>(GetParam().platform, GetParam().version);
        copyDefinitions();
    }
    Context& context() override { return rig->ctx(); }
    // Main, then "Start Kelvo" in the setup dialog; the window start-up opened.
    SensorWindow* start(bool single = true) {
        StartUp& s = shell(createSensorWindows);
        s.Main();
        if (single) s.comSet().optStartMode[0]->click();
        s.comSet().btnStartKelvo->click();
        return s.SensorWindows.at(GetParam().window).get();
    }

    std::unique_ptr<VirtualSensorRig> rig;
};

// The first poll comes two seconds after a live start.
TEST_P(StartUpWindowsTest, OpensALiveWindowThatPollsAndHandsBack) {
    SensorWindow* window = start();
    ASSERT_TRUE(rig->t.prompter.messages().empty()) << rig->t.prompter.messages()[0];
    ASSERT_EQ(startUp->CurrentWindow, window);
    ASSERT_TRUE(window->isVisible());
    // Switching the window live is no news, and must not cancel what follows it.
    EXPECT_EQ(rig->ctx().ErrorText, "");
    EXPECT_FALSE(window->cbxSimulated->isChecked());
    EXPECT_FALSE(window->findChild<QLineEdit*>("txbSN")->text().isEmpty());

    for (int pass = 0; pass < 3; ++pass) {
        const size_t before = rig->sensor.requests().size();
        rig->t.clock.advance(2100);
        window->activationPass();
        EXPECT_GT(rig->sensor.requests().size(), before) << "pass " << pass;
    }
    EXPECT_TRUE(rig->t.prompter.messages().empty()) << rig->t.prompter.messages()[0];
    EXPECT_FALSE(window->cbxSimulated->isChecked());
    EXPECT_FALSE(window->findChild<QLineEdit*>("txbCHact_0")->text().isEmpty());

    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(startUp->comSet().isVisible());
    // Platform 7 has no settings-file block of its own.
    EXPECT_EQ(QFile::exists(workDir.filePath("last.set")), GetParam().platform != 7);
}

TEST_P(StartUpWindowsTest, ExitFromTheMenuKeepsTheSettingsAndBringsTheSetupBack) {
    SensorWindow* window = start(false);
    ASSERT_TRUE(window->isVisible());
    window->mExit->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(startUp->comSet().isVisible());
    EXPECT_EQ(QFile::exists(workDir.filePath("last.set")), GetParam().platform != 7);
    EXPECT_TRUE(rig->t.prompter.messages().empty()) << rig->t.prompter.messages()[0];
    EXPECT_FALSE(startUp->progress().isVisible());
}

INSTANTIATE_TEST_SUITE_P(EveryPlatform, StartUpWindowsTest,
                         ::testing::Values(Case{5, 0, WindowKind::Frm5},
                                           Case{5, 3, WindowKind::Frm5Chart},
                                           Case{6, 0, WindowKind::Frm6},
                                           Case{61, 0, WindowKind::Frm61},
                                           Case{61, 1, WindowKind::Frm61},
                                           Case{7, 1, WindowKind::Frm61},
                                           Case{7, 2, WindowKind::Frm61}),
                         [](const auto& info) {
                             return "Platform" + std::to_string(info.param.platform) + "v" +
                                    std::to_string(info.param.version);
                         });

}  // namespace
}  // namespace kelvo::test
