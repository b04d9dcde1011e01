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
#include <functional>

#include "app/frm_com_set.h"
#include "app/frm_msg.h"
#include "app/frm_sim.h"
#include "app/shell_fixture.h"
#include "common/context.h"
#include "link/sensor_mem_read.h"
#include "qt/selectable_port.h"
#include "support/virtual_sensor_rig.h"
#include "windows/probe_window.h"
#include "windows/sensor_window.h"
#include "windows/sensor_windows.h"
#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

// A sensor window that records what start-up asks of it.
class RecordingWindow : public ProbeWindow {
public:
    RecordingWindow(Context& ctx, WindowHost& host, const QString& name) : ProbeWindow(ctx, host) {
        setObjectName(name);
    }
    bool FormUpdateInit() override {
        ++inits;
        if (failInit && ctx_.ErrorText.empty()) ctx_.ErrorText = "Sensor is corrupt";
        return !failInit;
    }
    void SimMode(bool on) override { simMode = on; }

    int inits = 0;
    bool failInit = false;
    std::optional<bool> simMode;
};

class StartUpTest : public ShellTest {
protected:
    StartUpTest() : sensorRig(std::make_unique<VirtualSensorRig>(6, 0)) {}

    // Puts another factory-fresh sensor on the line; a start-up made before is dropped.
    void useSensor(int platform, int version) {
        startUp.reset();
        windows.clear();
        sensorRig = std::make_unique<VirtualSensorRig>(platform, version);
    }
    Context& context() override { return sensorRig->ctx(); }
    ScriptedPrompter& prompter() { return sensorRig->t.prompter; }
    std::vector<std::string> messages() { return prompter().messages(); }

    StartUp& start() {
        return shell([this](Context& ctx, WindowHost& host) {
            std::map<WindowKind, std::unique_ptr<SensorWindow>> made;
            for (auto [kind, name] : kWindowNames) {
                auto window = std::make_unique<RecordingWindow>(ctx, host, name);
                windows[kind] = window.get();
                made.emplace(kind, std::move(window));
            }
            return made;
        });
    }
    // Main, then "Start Kelvo" in the setup dialog with the given mode; what the windows and
    // the sensor do wrong is done to them in between.
    void mainAndStart(int mode = 0, const QString& id = QString(),
                      const std::function<void()>& fault = {}) {
        start().Main();
        if (fault) fault();
        frmComSet& setup = startUp->comSet();
        ASSERT_TRUE(setup.isVisible());
        setup.optStartMode[mode]->click();
        setup.txbID->setText(id);
        setup.btnStartKelvo->click();
    }
    RecordingWindow* shown() const {
        for (auto [kind, window] : windows)
            if (window->isVisible()) return window;
        return nullptr;
    }
    bool setupShown() { return startUp && startUp->comSet().isVisible(); }
    bool progressShown() { return startUp && startUp->progress().isVisible(); }

    // Chooses the file in the setup dialog.
    frmComSet& chooseFile(const QString& name) {
        start().Main();
        prompter().fileAnswers = {workDir.filePath(name).toStdString()};
        startUp->comSet().Command5->click();
        return startUp->comSet();
    }
    // The sensor controls are on in a live window and off in a simulated one.
    static void expectSensorControls(RecordingWindow& w, bool on) {
        EXPECT_EQ(w.simMode, !on);
        // The caption, then the sensor in the image.
        const QString caption = QCoreApplication::applicationName() + (on ? "" : " Simulated mode");
        EXPECT_TRUE(w.windowTitle().startsWith(caption + " - platform 6 version "))
            << w.windowTitle().toStdString();
        EXPECT_EQ(w.cbxSimulated->isHidden(), !on);
        EXPECT_EQ((std::vector<bool>{w.mReadfromsensor->isEnabled(), w.mSendtosensor->isEnabled(),
                                     w.mCalibrate->isEnabled(), w.btnReadFromSensor->isEnabled(),
                                     w.btnSendToSensor->isEnabled()}),
                  std::vector<bool>(5, on));
    }

    std::unique_ptr<VirtualSensorRig> sensorRig;
    std::map<WindowKind, RecordingWindow*> windows;
};

TEST_F(StartUpTest, SingleSensorOpensItsPlatformWindowLive) {
    mainAndStart(0);
    ASSERT_EQ(shown(), windows[WindowKind::Frm6]) << ::testing::PrintToString(messages());
    RecordingWindow& w = *windows[WindowKind::Frm6];
    EXPECT_EQ(startUp->CurrentWindow, &w);
    EXPECT_EQ(w.inits, 1);
    EXPECT_EQ(w.updates, 1);
    expectSensorControls(w, true);
    EXPECT_TRUE(w.mComSet->isChecked());
    EXPECT_EQ(sensorRig->ctx().SensorAddress, 30);
    EXPECT_FALSE(setupShown());
    EXPECT_FALSE(progressShown());
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(sensorRig->ctx().AppDir,
              (QDir::toNativeSeparators(workDir.path()) + QDir::separator()).toStdString());
    // The port check listens two seconds before the first read.
    EXPECT_GE(sensorRig->t.clock.tickMs() - 1'000'000, 2000);
}

// One message says why, once, and the setup dialog comes back.
TEST_F(StartUpTest, ALineOrSensorThatCannotBeUsedIsReportedOnce) {
    const std::string unknown = "Unknown sensor type, can't connect to sensor.";
    const std::string noDefinition =
        "Can't find file: " + QDir::currentPath().toStdString() + "/DEF00231.PDT, ";
    const struct {
        const char* what;
        int platform;
        int version;
        std::function<void()> fault;
        std::string message;
    } cases[] = {
        {"busy port", 6, 0, [this] { sensorRig->sensor.refuseOpen(true); },
         "This port is locked by other devise\nPermission denied"},
        {"active line", 6, 0, [this] { sensorRig->sensor.otherMasterTalking(true); },
         "Central unit must be set to slave mode or be disconnected."},
        {"unknown identification", 6, 0, [this] { sensorRig->sensor.memory().ram[65] = 0; },
         unknown},
        {"platform 5 version 4", 5, 3, [this] { sensorRig->sensor.memory().ram[226] = 4; },
         unknown},
        {"silent sensor", 6, 0, [this] { sensorRig->sensor.silentFor(100000); },
         "Can't read from sensor"},
        {"window that cannot show it", 6, 0, [this] { windows[WindowKind::Frm6]->failInit = true; },
         "Sensor is corrupt"},
        // The file's own message, not the unknown sensor's.
        {"platform 5 without its definition file", 5, 0, [] { QFile::remove("DEF00231.PDT"); },
         noDefinition},
    };
    copyDefinitions();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        useSensor(c.platform, c.version);
        mainAndStart(0, QString(), c.fault);
        EXPECT_EQ(messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(shown(), nullptr);
        EXPECT_TRUE(setupShown());
        EXPECT_FALSE(progressShown());
        EXPECT_EQ(sensorRig->ctx().ErrorText, "");
    }
}

TEST_F(StartUpTest, NetworkSensorIsAddressedByItsIdAndAnEmptyIdIsRefusedAtOnce) {
    for (const auto& [id, typed] : {std::pair{0, "0"}, {12, "12"}}) {
        SCOPED_TRACE(id);
        useSensor(6, 0);
        sensorRig->sensor.setNetworkId(id);
        mainAndStart(1, typed);
        ASSERT_NE(shown(), nullptr) << ::testing::PrintToString(messages());
        EXPECT_EQ(sensorRig->ctx().SensorAddress, id);
        ASSERT_FALSE(sensorRig->sensor.received().empty());
        EXPECT_EQ(sensorRig->sensor.received().front(), 224 + id);
    }
    // Skipping the dialog skips its check too: start-up asks before the line is used.
    useSensor(6, 0);
    storePreference("StartMode1", "True");
    storePreference("ID", "");
    storePreference("Dont", "1");
    start().Main();
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Type the sensor's network ID, a number from 0 to 29."});
    EXPECT_TRUE(sensorRig->sensor.received().empty());
    EXPECT_TRUE(setupShown());
}

TEST_F(StartUpTest, CancelDuringTheReadSaysNothing) {
    start().Main();
    sensorRig->sensor.silentFor(100000);
    // The user presses Cancel in the progress dialog while the read waits.
    sensorRig->t.pump.onEvents([this] {
        if (startUp->progress().isVisible() &&
            startUp->progress().Label1->text() == "Please wait" &&
            sensorRig->ctx().ErrorText.empty() && sensorRig->t.clock.tickMs() > 1'003'000)
            startUp->progress().Command1->click();
    });
    startUp->comSet().btnStartKelvo->click();
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(setupShown());
    EXPECT_FALSE(progressShown());
    EXPECT_EQ(sensorRig->ctx().ErrorText, "");
}

TEST_F(StartUpTest, StoredDontGoesStraightToTheSensorAndShowsTheDialogAfterAFailure) {
    storePreference("Dont", "1");
    int setups = 0;
    start();
    QObject::connect(startUp.get(), &StartUp::setupShown, [&] { ++setups; });
    startUp->Main();
    EXPECT_EQ(shown(), windows[WindowKind::Frm6]);
    EXPECT_EQ(setups, 0);
    EXPECT_FALSE(windows[WindowKind::Frm6]->mComSet->isChecked());

    // After a failure the dialog comes back all the same.
    useSensor(6, 0);
    sensorRig->sensor.refuseOpen(true);
    start().Main();
    EXPECT_EQ(messages(),
              std::vector<std::string>{"This port is locked by other devise\nPermission denied"});
    EXPECT_TRUE(setupShown());
}

TEST_F(StartUpTest, LeavingAWindowBringsTheSetupDialogBackOrEndsTheProgramWithDontTicked) {
    mainAndStart(0);
    RecordingWindow* w = shown();
    ASSERT_NE(w, nullptr);
    startUp->RestartOrEnd();
    EXPECT_EQ(w->reads, 1);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(sensorRig->sensor.isOpen());
    EXPECT_TRUE(setupShown());
    EXPECT_EQ(programEnds, 0);

    // A new sensor can be detected without restarting the program.
    startUp->comSet().btnStartKelvo->click();
    EXPECT_EQ(shown(), w);
    EXPECT_EQ(w->inits, 2);

    // With "Don't show" ticked, leaving ends the program instead.
    startUp->setDontShowSetupDialog(true);
    EXPECT_EQ(storedPreference("Dont"), "1");
    startUp->RestartOrEnd();
    EXPECT_EQ(programEnds, 1);
    EXPECT_FALSE(setupShown());
}

using SimulatedStart = StartUpTest;

TEST_F(SimulatedStart, ListsSimFilesWithoutRegardToCaseAndPreselectsLast) {
    for (const char* name : {"a.sim", "B.SIM", "c.sim.txt", "notes.txt"}) touch(name);
    mainAndStart(2);
    frmSim& sim = startUp->sim();
    ASSERT_TRUE(sim.isVisible());
    QStringList items;
    for (int i = 0; i < sim.cmbTypeOfS->count(); ++i) items << sim.cmbTypeOfS->itemText(i);
    EXPECT_EQ(items, (QStringList{"a", "B", "Last"}));
    EXPECT_EQ(sim.cmbTypeOfS->currentText(), "Last");
}

TEST_F(SimulatedStart, CancelReturnsToTheSetupDialogSilentlyAndTheListIsBuiltOncePerProcess) {
    touch("a.sim");
    mainAndStart(2);
    startUp->sim().Command2->click();
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(setupShown());
    EXPECT_EQ(shown(), nullptr);
    touch("later.sim");
    startUp->comSet().btnStartKelvo->click();
    EXPECT_EQ(startUp->sim().cmbTypeOfS->count(), 2);
}

TEST_F(SimulatedStart, AMissingOrDamagedFileIsReported) {
    touch("broken.sim", QByteArray(40, '\x07'));
    for (const auto& [choice, message] :
         {std::pair{"Last", "File not found"}, {"broken", "File is damaged"}}) {
        SCOPED_TRACE(choice);
        useSensor(6, 0);
        mainAndStart(2);
        startUp->sim().cmbTypeOfS->setCurrentText(choice);
        startUp->sim().Command1->click();
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_NE(messages()[0].find(message), std::string::npos);
        EXPECT_TRUE(setupShown());
        EXPECT_FALSE(progressShown());
    }
}

TEST_F(SimulatedStart, SimFileOpensItsWindowWithTheSensorControlsOff) {
    copyData("Platform6.sim");
    mainAndStart(2);
    frmSim& sim = startUp->sim();
    sim.cmbTypeOfS->setCurrentText("Platform6");
    sim.Command1->click();
    RecordingWindow* w = shown();
    ASSERT_EQ(w, windows[WindowKind::Frm6]) << ::testing::PrintToString(messages());
    expectSensorControls(*w, false);
    EXPECT_TRUE(sensorRig->sensor.received().empty());  // no sensor was asked anything
    EXPECT_FALSE(progressShown());

    // Leaving it keeps the settings in last.set; a real start then uses the same window
    // with its sensor controls back on.
    startUp->RestartOrEnd();
    EXPECT_TRUE(QFile::exists(workDir.filePath("last.set")));
    ASSERT_TRUE(setupShown());
    startUp->comSet().optStartMode[0]->click();
    startUp->comSet().btnStartKelvo->click();
    ASSERT_EQ(shown(), w) << ::testing::PrintToString(messages());
    expectSensorControls(*w, true);
}

TEST_F(SimulatedStart, AFilePickedWithTheBrowseButtonIsSimulatedWithoutTheList) {
    copyData("Platform61.sim", "mine.sim");
    start().Main();
    frmComSet& setup = startUp->comSet();
    setup.optStartMode[2]->click();
    prompter().fileAnswers = {workDir.filePath("mine.sim").toStdString()};
    setup.Command5->click();
    EXPECT_EQ(prompter().prompts.back(), "(*.sim)|*.sim");
    setup.btnStartKelvo->click();
    EXPECT_EQ(shown(), windows[WindowKind::Frm61]) << ::testing::PrintToString(messages());
    EXPECT_FALSE(startUp->sim().isVisible());
}

TEST_F(SimulatedStart, LastFindsLastSetWhateverItsCase) {
    copyData("Platform61.sim", "Last.SET");
    mainAndStart(2);
    startUp->sim().Command1->click();
    EXPECT_EQ(shown(), windows[WindowKind::Frm61]) << ::testing::PrintToString(messages());
}

using SendFileFromSetup = StartUpTest;

// The chosen file goes into the sensor without a message; platform 5 version 3 is not
// supported.
TEST_F(SendFileFromSetup, ChosenFileGoesIntoASupportedSensor) {
    copyDefinitions();
    const struct {
        int platform, version;
        const char* file;
        std::vector<std::string> messages;
    } cases[] = {{6, 0, "Platform6.sim", {}},
                 {5, 3, "Platform5-TWA.sim", {"Unknown sensor type, can't connect to sensor."}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        useSensor(c.platform, c.version);
        QFile::remove(workDir.filePath("mine.Set"));
        copyData(c.file, "mine.Set");
        chooseFile("mine.Set").cmdSendFile->click();
        EXPECT_EQ(messages(), c.messages);
        EXPECT_FALSE(progressShown());
        EXPECT_FALSE(sensorRig->sensor.requests().empty());
        EXPECT_EQ(context().ErrorText, "");
    }
}

TEST_F(SendFileFromSetup, TheDialogCannotStartOrSendAgainWhileASendRuns) {
    copyData("Platform6.sim", "mine.Set");
    frmComSet& setup = chooseFile("mine.Set");
    bool clicked = false;
    bool windowDuringSend = false;
    sensorRig->t.pump.onEvents([&] {
        if (!setup.isVisible() || clicked) return;
        clicked = true;
        setup.btnStartKelvo->click();
        setup.cmdSendFile->click();
        windowDuringSend = shown() != nullptr;
    });
    setup.cmdSendFile->click();
    ASSERT_TRUE(clicked);
    EXPECT_FALSE(windowDuringSend);
    EXPECT_TRUE(messages().empty()) << ::testing::PrintToString(messages());
    EXPECT_TRUE(setup.isVisible());
    EXPECT_TRUE(setup.btnStartKelvo->isEnabled());
    EXPECT_TRUE(setup.cmdSendFile->isEnabled());
}

// The setup dialog on the program's own port, which a name switches between sensors.
class SendFileToTypedPort : public ShellTest {
protected:
    SendFileToTypedPort() : line(&port), port(line.clock) {}
    Context& context() override { return line.ctx; }

    TestContext line;
    qt::SelectablePort port;
};

TEST_F(SendFileToTypedPort, TheFileGoesToThePortInTheFieldNotTheOneOfTheLastStart) {
    copyData("Platform6.sim", "mine.Set");
    storePreference("ComPort", "virtual:61");
    shell().Main();
    frmComSet& setup = startUp->comSet();
    setup.txbComPort->setCurrentText("virtual:6");
    line.prompter.fileAnswers = {workDir.filePath("mine.Set").toStdString()};
    setup.Command5->click();
    setup.cmdSendFile->click();
    EXPECT_TRUE(line.prompter.messages().empty())
        << ::testing::PrintToString(line.prompter.messages());
    EXPECT_EQ(port.portName(), "virtual:6");
    ASSERT_NE(port.virtualSensor(), nullptr);
    EXPECT_EQ(port.virtualSensor()->memory().platform, 6);
    EXPECT_EQ(port.virtualSensor()->savesToRam(), 1);  // the send's commit
    // A network sensor without its ID is refused at once, and nothing is sent.
    setup.optStartMode[1]->setChecked(true);
    setup.txbID->clear();
    setup.cmdSendFile->click();
    EXPECT_EQ(line.prompter.messages(),
              std::vector<std::string>{"Type the sensor's network ID, a number from 0 to 29."});
    EXPECT_EQ(port.virtualSensor()->savesToRam(), 1);
}

using ProgressCancel = StartUpTest;

TEST_F(ProgressCancel, CancelMakesTheRunningReadFailWithAvbryt) {
    start().ShowProgress("Reading sensor");
    sensorRig->sensor.silentFor(100000);
    sensorRig->t.pump.onEvents([this] {
        if (startUp->progress().isVisible() && context().ErrorText.empty())
            startUp->progress().Command1->click();
    });
    EXPECT_FALSE(SensorMemRead(context(), 0, 65, 1, false, false));
    EXPECT_EQ(context().ErrorText, "Avbryt");
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(startUp->progress().isVisible());  // its caller closes it
}

// Start-up with the real sensor windows: every virtual platform opens its own window, and
// that one alone, live; it polls quietly, and leaving it brings the setup dialog back.
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
    for (const auto& [kind, each] : startUp->SensorWindows)
        ASSERT_EQ(each->isVisible(), kind == GetParam().window);
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

INSTANTIATE_TEST_SUITE_P(
    EveryPlatform, StartUpWindowsTest,
    ::testing::Values(Case{5, 0, WindowKind::Frm5}, Case{5, 3, WindowKind::Frm5Chart},
                      Case{6, 0, WindowKind::Frm6}, Case{6, 5, WindowKind::Frm6},
                      Case{61, 0, WindowKind::Frm61}, Case{61, 1, WindowKind::Frm61},
                      Case{7, 1, WindowKind::Frm61}, Case{7, 2, WindowKind::Frm61}),
    kindName);

}  // namespace
}  // namespace kelvo::test
