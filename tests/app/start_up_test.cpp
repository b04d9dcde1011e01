#include "app/start_up.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include "app/frm_com_set.h"
#include "app/frm_msg.h"
#include "app/frm_sim.h"
#include "app/shell_fixture.h"
#include "common/context.h"
#include "support/virtual_sensor_rig.h"
#include "windows/sensor_window.h"

namespace kelvo::test {
namespace {

// A sensor window that records what start-up asks of it.
class RecordingWindow : public SensorWindow {
public:
    RecordingWindow(Context& ctx, WindowHost& host, const QString& name) : SensorWindow(ctx, host) {
        setObjectName(name);
    }
    bool FormUpdateInit() override {
        ++inits;
        if (failInit && ctx_.ErrorText.empty()) ctx_.ErrorText = "Sensor is corrupt";
        return !failInit;
    }
    bool FormUpdate() override {
        ++updates;
        return true;
    }
    bool FormRead() override {
        ++reads;
        return true;
    }
    bool FormUpdateM() override { return true; }
    bool ActionSensorReadM() override { return true; }
    void SimMode(bool on) override { simMode = on; }

    int inits = 0;
    int updates = 0;
    int reads = 0;
    bool failInit = false;
    std::optional<bool> simMode;
};

class StartUpTest : public ShellTest {
protected:
    StartUpTest() : rig(6, 0) {}

    Context& context() override { return rig.ctx(); }
    ScriptedPrompter& prompter() { return rig.t.prompter; }
    std::vector<std::string> messages() { return prompter().messages(); }

    StartUp& start() {
        return shell([this](Context& ctx, WindowHost& host) {
            std::vector<std::unique_ptr<SensorWindow>> made;
            for (const char* name : {"frm5", "frm5Chart", "frm6", "frm61"}) {
                auto window = std::make_unique<RecordingWindow>(ctx, host, name);
                windows.push_back(window.get());
                made.push_back(std::move(window));
            }
            return made;
        });
    }
    // Main, then "Start Kelvo" in the setup dialog with the given mode.
    void mainAndStart(int mode = 0, const QString& id = QString()) {
        start().Main();
        frmComSet& setup = startUp->comSet();
        ASSERT_TRUE(setup.isVisible());
        setup.optStartMode[mode]->click();
        setup.txbID->setText(id);
        setup.btnStartKelvo->click();
    }
    RecordingWindow* shown() const {
        for (auto* window : windows)
            if (window->isVisible()) return window;
        return nullptr;
    }
    bool setupShown() { return startUp && startUp->comSet().isVisible(); }
    bool progressShown() { return startUp && startUp->progress().isVisible(); }

    VirtualSensorRig rig;
    std::vector<RecordingWindow*> windows;
};

TEST_F(StartUpTest, SingleSensorOpensItsPlatformWindowLive) {
    mainAndStart(0);
    ASSERT_EQ(shown(), windows[StartUp::kFrm6]) << ::testing::PrintToString(messages());
    RecordingWindow& w = *windows[StartUp::kFrm6];
    EXPECT_EQ(startUp->CurrentWindow, &w);
    EXPECT_EQ(w.inits, 1);
    EXPECT_EQ(w.updates, 1);
    EXPECT_EQ(w.simMode, false);
    EXPECT_EQ(w.windowTitle(), QCoreApplication::applicationName());
    EXPECT_FALSE(w.cbxSimulated->isHidden());
    EXPECT_TRUE(w.mReadfromsensor->isEnabled());
    EXPECT_TRUE(w.btnSendToSensor->isEnabled());
    EXPECT_TRUE(w.mComSet->isChecked());
    EXPECT_EQ(rig.ctx().SensorAddress, 30);
    EXPECT_FALSE(setupShown());
    EXPECT_FALSE(progressShown());
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(rig.ctx().AppDir,
              (QDir::toNativeSeparators(workDir.path()) + QDir::separator()).toStdString());
}

TEST_F(StartUpTest, ThePortCheckListensTwoSecondsBeforeTheFirstRead) {
    mainAndStart(0);
    ASSERT_NE(shown(), nullptr);
    EXPECT_GE(rig.t.clock.tickMs() - 1'000'000, 2000);
}

TEST_F(StartUpTest, BusyPortIsReportedAndTheSetupDialogComesBack) {
    rig.sensor.refuseOpen(true);
    mainAndStart(0);
    EXPECT_EQ(messages(), std::vector<std::string>{"This port is locked by other devise"});
    EXPECT_EQ(shown(), nullptr);
    EXPECT_TRUE(setupShown());
    EXPECT_FALSE(progressShown());
    EXPECT_EQ(rig.ctx().ErrorText, "");
}

TEST_F(StartUpTest, ActiveLineIsReported) {
    rig.sensor.otherMasterTalking(true);
    mainAndStart(0);
    EXPECT_EQ(messages(), std::vector<std::string>{
                              "Central unit must be set to slave mode or be disconnected."});
    EXPECT_TRUE(setupShown());
}

TEST_F(StartUpTest, SilentSensorGivesTheReadMessageOnce) {
    rig.sensor.silentFor(100000);
    mainAndStart(0);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_FALSE(messages()[0].empty());
    EXPECT_EQ(shown(), nullptr);
    EXPECT_TRUE(setupShown());
    EXPECT_FALSE(progressShown());
}

TEST_F(StartUpTest, UnknownIdentificationIsRejected) {
    rig.sensor.memory().ram[65] = 0;
    mainAndStart(0);
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Unknown sensor type, can't connect to sensor."});
    EXPECT_TRUE(setupShown());
}

TEST_F(StartUpTest, NetworkSensorWithEmptyIdAddressesSensorZero) {
    rig.sensor.setNetworkId(0);
    mainAndStart(1, "");
    ASSERT_NE(shown(), nullptr) << ::testing::PrintToString(messages());
    EXPECT_EQ(rig.ctx().SensorAddress, 0);
    ASSERT_FALSE(rig.sensor.received().empty());
    EXPECT_EQ(rig.sensor.received().front(), 224);
}

TEST_F(StartUpTest, NetworkSensorIsAddressedByItsId) {
    rig.sensor.setNetworkId(12);
    mainAndStart(1, "12");
    ASSERT_NE(shown(), nullptr) << ::testing::PrintToString(messages());
    EXPECT_EQ(rig.ctx().SensorAddress, 12);
    EXPECT_EQ(rig.sensor.received().front(), 224 + 12);
}

TEST_F(StartUpTest, FailingWindowInitShowsItsMessage) {
    start();
    startUp->Main();
    windows[StartUp::kFrm6]->failInit = true;
    startUp->comSet().btnStartKelvo->click();
    EXPECT_EQ(messages(), std::vector<std::string>{"Sensor is corrupt"});
    EXPECT_EQ(shown(), nullptr);
    EXPECT_TRUE(setupShown());
}

TEST_F(StartUpTest, CancelDuringTheReadSaysNothing) {
    start();
    startUp->Main();
    rig.sensor.silentFor(100000);
    // The user presses Cancel in the progress dialog while the read waits.
    rig.t.pump.onEvents([this] {
        if (startUp->progress().isVisible() &&
            startUp->progress().Label1->text() == "Please wait" && rig.ctx().ErrorText.empty() &&
            rig.t.clock.tickMs() > 1'003'000)
            startUp->progress().Command1->click();
    });
    startUp->comSet().btnStartKelvo->click();
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(setupShown());
    EXPECT_FALSE(progressShown());
    EXPECT_EQ(rig.ctx().ErrorText, "");
}

TEST_F(StartUpTest, StoredDontGoesStraightToTheSensor) {
    storePreference("Dont", "1");
    int setups = 0;
    start();
    QObject::connect(startUp.get(), &StartUp::setupShown, [&] { ++setups; });
    startUp->Main();
    EXPECT_EQ(shown(), windows[StartUp::kFrm6]);
    EXPECT_EQ(setups, 0);
    EXPECT_FALSE(windows[StartUp::kFrm6]->mComSet->isChecked());
}

TEST_F(StartUpTest, StoredDontStillShowsTheDialogAfterAFailure) {
    storePreference("Dont", "1");
    rig.sensor.refuseOpen(true);
    start().Main();
    EXPECT_EQ(messages(), std::vector<std::string>{"This port is locked by other devise"});
    EXPECT_TRUE(setupShown());
}

TEST_F(StartUpTest, LeavingAWindowBringsTheSetupDialogBack) {
    mainAndStart(0);
    RecordingWindow* w = shown();
    ASSERT_NE(w, nullptr);
    startUp->RestartOrEnd();
    EXPECT_EQ(w->reads, 1);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(rig.sensor.isOpen());
    EXPECT_TRUE(setupShown());
    EXPECT_EQ(programEnds, 0);

    // A new sensor can be detected without restarting the program.
    startUp->comSet().btnStartKelvo->click();
    EXPECT_EQ(shown(), w);
    EXPECT_EQ(w->inits, 2);
}

TEST_F(StartUpTest, LeavingAWindowWithDontTickedEndsTheProgram) {
    mainAndStart(0);
    ASSERT_NE(shown(), nullptr);
    startUp->setDontShowSetupDialog(true);
    EXPECT_EQ(storedPreference("Dont"), "1");
    startUp->RestartOrEnd();
    EXPECT_EQ(programEnds, 1);
    EXPECT_FALSE(setupShown());
}

using SimulatedStart = StartUpTest;

TEST_F(SimulatedStart, ListsSimFilesWithoutRegardToCaseAndPreselectsLast) {
    touch("a.sim");
    touch("B.SIM");
    touch("c.sim.txt");
    touch("notes.txt");
    mainAndStart(2);
    frmSim& sim = startUp->sim();
    ASSERT_TRUE(sim.isVisible());
    QStringList items;
    for (int i = 0; i < sim.cmbTypeOfS->count(); ++i) items << sim.cmbTypeOfS->itemText(i);
    EXPECT_EQ(items, (QStringList{"a", "B", "Last"}));
    EXPECT_EQ(sim.cmbTypeOfS->currentText(), "Last");
}

TEST_F(SimulatedStart, CancelReturnsToTheSetupDialogSilently) {
    mainAndStart(2);
    startUp->sim().Command2->click();
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(setupShown());
    EXPECT_EQ(shown(), nullptr);
}

TEST_F(SimulatedStart, TheListIsBuiltOncePerProcess) {
    touch("a.sim");
    mainAndStart(2);
    startUp->sim().Command2->click();
    touch("later.sim");
    startUp->comSet().btnStartKelvo->click();
    EXPECT_EQ(startUp->sim().cmbTypeOfS->count(), 2);
}

TEST_F(SimulatedStart, MissingLastFileIsReported) {
    mainAndStart(2);
    startUp->sim().Command1->click();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("File not found"), std::string::npos);
    EXPECT_TRUE(setupShown());
    EXPECT_FALSE(progressShown());
}

}  // namespace
}  // namespace kelvo::test
