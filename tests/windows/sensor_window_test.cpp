// The shape every sensor window shares: menus, handlers, the activation loop, simulated
// mode, and the shared actions, which end quietly where the user or the sensor says there
// is nothing to do.
#include "windows/sensor_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <tuple>

#include "support/test_context.h"
#include "windows/fake_window_host.h"
#include "windows/probe_window.h"
#include "windows/window_input.h"
#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

// The shared actions, called directly on a window that is not shown, so no loop of its own runs.
class SensorActionsTest : public ::testing::Test {
protected:
    SensorActionsTest() : window(t.ctx, host) {}

    void identify(uint8_t idByte, uint8_t version) {
        t.ctx.RamImage[65] = idByte;
        t.ctx.RamRead[65] = true;
        t.ctx.RamImage[226] = version;
        t.ctx.RamRead[226] = true;
    }

    TestContext t;
    FakeWindowHost host;
    ProbeWindow window;
};

class SensorWindowTest : public SensorActionsTest {
protected:
    SensorWindowTest() { window.show(); }

    void afterSeconds(double seconds) {
        t.clock.advance(static_cast<int64_t>(seconds * 1000));
        window.activationPass();
    }
};

TEST_F(SensorWindowTest, MenusCarryTheirNamesAndCaptionsInOrder) {
    const QList<QAction*> bar = window.menuBar()->actions();
    QStringList titles;
    for (const QAction* menu : bar) titles << menu->text();
    ASSERT_EQ(titles, (QStringList{"File", "Sensor", "View", "Help"}));
    EXPECT_EQ(bar[3]->objectName(), "mHelp");

    const std::pair<const char*, const char*> items[] = {
        {"mLoadsettings", "Load settings"},
        {"mSavesettings", "Save settings"},
        {"mComSet", "Show communication setup dialog when Kelvo starts."},
        {"mExit", "Exit"},
        {"mReadfromsensor", "Read from sensor"},
        {"mSendtosensor", "Send to sensor"},
        {"CalTemp", "Temp"},
        {"mCalCO2Zero", "Zero"},
        {"mCalCO2Background", "Fresh air"},
        {"mCalCO2Other", "Other"},
        {"mCalCO2span", "CO2 span"},
        {"mTWAreset", "TWA reset"},
        {"mTrend", "Trend"},
        {"mLogMeasurements", "Log measurements to file..."},
    };
    for (const auto& [name, caption] : items) {
        auto* item = window.findChild<QAction*>(name);
        ASSERT_NE(item, nullptr) << name;
        EXPECT_EQ(item->text(), caption) << name;
    }
    const QList<QAction*> file = window.mFile->actions();
    ASSERT_EQ(file.size(), 7);
    EXPECT_EQ(file[2]->text(), "Calibration report...");
    EXPECT_TRUE(file[3]->isSeparator());
    EXPECT_EQ(file[4]->menu(), window.mOptions);
    EXPECT_TRUE(file[5]->isSeparator());
    EXPECT_EQ(window.findChild<QMenu*>("mCalibrate")->title(), "Calibrate");
    EXPECT_EQ(window.findChild<QMenu*>("mCalCO2")->title(), "CO2 single point");
    EXPECT_EQ(window.findChild<QMenu*>("mOptions")->title(), "Kelvo options");
    EXPECT_EQ(window.findChild<QCheckBox*>("cbxSimulated")->text(), "Simulated");
    EXPECT_NE(window.findChild<QPushButton*>("btnReadFromSensor"), nullptr);
    EXPECT_NE(window.findChild<QPushButton*>("btnSendToSensor"), nullptr);
}

TEST_F(SensorWindowTest, AltLettersAndF10OpenTheMenus) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, QMenu*> keys[] = {
        {Qt::Key_F10, Qt::NoModifier, window.mFile},
        {Qt::Key_F, Qt::AltModifier, window.mFile},
        {Qt::Key_S, Qt::AltModifier, window.M0},
        {Qt::Key_V, Qt::AltModifier, window.mView},
    };
    for (const auto& [key, modifiers, menu] : keys) {
        SCOPED_TRACE(menu->title().toStdString());
        QTest::keyClick(&window, key, modifiers);
        EXPECT_TRUE(menu->isVisible());
        menu->hide();
    }
    QTest::keyClick(&window, Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(host.documents.size(), 1);
}

TEST_F(SensorWindowTest, HandlersOnlyLeaveACodeAndMostSayPleaseWait) {
    const std::tuple<QAction*, int, bool> handlers[] = {
        {window.mReadfromsensor, 1, true},   {window.mSendtosensor, 2, true},
        {window.mLoadsettings, 3, true},     {window.mSavesettings, 4, true},
        {window.CalTemp, 5, false},          {window.mCalCO2Zero, 6, true},
        {window.mCalCO2Background, 7, true}, {window.mCalCO2Other, 8, true},
        {window.mCalCO2span, 9, false},      {window.mTWAreset, 12, true},
    };
    for (const auto& [item, code, pleaseWait] : handlers) {
        host.progress.clear();
        t.ctx.PendingAction = 0;
        item->trigger();
        EXPECT_EQ(t.ctx.PendingAction, code) << item->objectName().toStdString();
        EXPECT_EQ(host.progress.contains("Please wait"), pleaseWait) << code;
    }
    t.ctx.PendingAction = 0;
    window.btnSendToSensor->click();
    EXPECT_EQ(t.ctx.PendingAction, 2);
    EXPECT_EQ(window.sensorReads + window.sensorWrites, 0);
    t.ctx.PendingAction = 0;
}

TEST_F(SensorWindowTest, AChoiceMadeWhileAnActionRunsIsDiscarded) {
    window.duringRead = [&] {
        // The user picks "Send to sensor" while the read waits on the line; a timer tick
        // that lands meanwhile must not start a second action.
        window.btnSendToSensor->click();
        window.activationPass();
    };
    window.btnReadFromSensor->click();
    window.activationPass();
    EXPECT_EQ(window.sensorReads, 1);
    EXPECT_EQ(window.sensorWrites, 0);
    EXPECT_EQ(t.ctx.PendingAction, 0);
    EXPECT_EQ(host.progress.last(), "");  // the progress dialog is closed after the action
    window.activationPass();
    EXPECT_EQ(window.sensorWrites, 0);
}

TEST_F(SensorWindowTest, AnActionsErrorIsShownOnceAndACancelNever) {
    window.readError = "Sensor not responding";
    t.ctx.PendingAction = 1;
    window.activationPass();
    window.activationPass();
    ASSERT_EQ(t.prompter.messages().size(), 1u);
    EXPECT_EQ(t.prompter.messages()[0], "Sensor not responding");
    EXPECT_TRUE(t.ctx.ErrorText.empty());

    window.readError = "Avbryt";
    t.ctx.PendingAction = 1;
    window.activationPass();
    EXPECT_EQ(t.prompter.messages().size(), 1u);
}

TEST_F(SensorWindowTest, OtherWindowsCodesAreOnlyCleared) {
    for (int16_t code : {10, 11, 14, 15}) {
        t.ctx.PendingAction = code;
        window.activationPass();
        EXPECT_EQ(t.ctx.PendingAction, 0);
    }
    EXPECT_EQ(window.sensorReads + window.sensorWrites, 0);
    EXPECT_EQ(host.restarts, 0);
}

TEST_F(SensorWindowTest, PollsAtOnceThenEveryTwoSecondsInLiveMode) {
    for (const auto& [seconds, polls] :
         {std::pair{0.0, 1}, {1.9, 1}, {0.2, 2}, {1.0, 2}, {1.5, 3}}) {
        afterSeconds(seconds);
        EXPECT_EQ(window.polls, polls) << "after " << seconds << " s more";
    }
}

TEST_F(SensorWindowTest, AFailedPollEntersSimulatedModeWithOneMessage) {
    window.pollFails = true;
    afterSeconds(2.5);
    ASSERT_EQ(t.prompter.messages().size(), 1u);
    EXPECT_EQ(t.prompter.messages()[0], "No sensor detected, entering simulated mode.");
    EXPECT_TRUE(window.cbxSimulated->isChecked());
    EXPECT_EQ(window.windowTitle(), "Kelvo3.0 Simulated mode");
    const QString hint = "The sensor does not answer. Untick \"Simulated\" to try it again.";
    EXPECT_EQ(window.statusBar()->currentMessage(), hint);
    afterSeconds(5);
    afterSeconds(5);
    EXPECT_EQ(window.polls, 1);
    EXPECT_EQ(t.prompter.messages().size(), 1u);
    // Unticking tries the sensor again, as the hint says; the hint has done its work.
    window.pollFails = false;
    window.cbxSimulated->click();
    afterSeconds(2.5);
    afterSeconds(2.5);
    EXPECT_GE(window.polls, 2);
    EXPECT_TRUE(window.statusBar()->currentMessage().isEmpty());
}

TEST_F(SensorWindowTest, SimulatedModeSwitchesTheSensorControlsOff) {
    const auto expectSensorControls = [&](bool on) {
        EXPECT_EQ((std::vector<bool>{
                      window.mReadfromsensor->isEnabled(), window.mSendtosensor->isEnabled(),
                      window.mTWAreset->isEnabled(), window.mCalibrate->isEnabled(),
                      window.mCalibrate->menuAction()->isEnabled(),
                      window.btnReadFromSensor->isEnabled(), window.btnSendToSensor->isEnabled()}),
                  std::vector<bool>(7, on));
    };
    window.SimMode(true);
    EXPECT_TRUE(window.cbxSimulated->isChecked());
    EXPECT_EQ(window.windowTitle(), "Kelvo3.0 Simulated mode");
    expectSensorControls(false);
    afterSeconds(10);
    EXPECT_EQ(window.polls, 0);

    // Unticking the box goes back to live mode without a message.
    window.cbxSimulated->click();
    EXPECT_FALSE(window.cbxSimulated->isChecked());
    expectSensorControls(true);
    EXPECT_EQ(window.windowTitle(), "Kelvo3.0");
    afterSeconds(2.5);
    afterSeconds(2.5);
    EXPECT_GE(window.polls, 1);
    EXPECT_TRUE(t.prompter.messages().empty());
}

// Code 13, the close box and File > Exit each hand over to RestartOrEnd, once.
TEST_F(SensorWindowTest, EveryWayOutHandsOverToRestartOrEnd) {
    t.ctx.PendingAction = 13;
    window.activationPass();
    EXPECT_EQ(host.restarts, 1);
    EXPECT_EQ(t.ctx.PendingAction, 0);
    EXPECT_FALSE(window.loopRunning());
    afterSeconds(5);
    EXPECT_EQ(window.polls, 0);

    EXPECT_FALSE(window.close());
    EXPECT_EQ(host.restarts, 2);
    EXPECT_TRUE(window.isVisible());

    window.mExit->trigger();  // cancels quietly first
    EXPECT_EQ(host.restarts, 3);
    EXPECT_EQ(t.ctx.ErrorText, "Avbryt");
    EXPECT_TRUE(host.progress.contains("Please wait"));
}

// A slow action the user walks away from, the sensor perhaps the reason it was slow: the
// close cancels it, and the window hands over when it ends, without polling on its way out.
TEST_F(SensorWindowTest, ClosingDuringAnActionCancelsItAndHandsOverWhenItEnds) {
    int restartsDuringRead = -1;
    bool cancelled = false;
    window.pollFails = true;
    window.duringRead = [&] {
        t.clock.advance(5000);
        window.close();
        restartsDuringRead = host.restarts;
        cancelled = isCancelled(t.ctx);
    };
    t.ctx.PendingAction = 1;
    window.activationPass();
    EXPECT_EQ(restartsDuringRead, 0);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(host.restarts, 1);
    EXPECT_EQ(window.polls, 0);
    EXPECT_TRUE(t.prompter.messages().empty());
}

TEST_F(SensorWindowTest, ComSetItemTogglesTheStoredChoice) {
    window.mComSet->setChecked(true);
    for (const bool checked : {false, true}) {
        window.mComSet->trigger();
        EXPECT_EQ(window.mComSet->isChecked(), checked);
        EXPECT_EQ(host.dontShow, !checked);
    }
}

TEST_F(SensorWindowTest, TheLoopRunsOnItsOwnTimer) {
    // No explicit passes: the handler wakes the loop.
    window.btnReadFromSensor->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.sensorReads == 1; }, 2000));
    EXPECT_EQ(t.ctx.PendingAction, 0);
}

TEST_F(SensorWindowTest, TextFieldsEditOnClickAndCommitOnEnterUnlessTheirCheckRefuses) {
    QLineEdit field(&window);
    field.setText("12");
    field.show();
    bool checked = false;
    window.addEditable(&field, [&](QLineEdit*) {
        checked = true;
        return true;
    });
    EXPECT_EQ(field.palette().color(QPalette::Base), QColor(84, 108, 141));
    EXPECT_EQ(field.palette().color(QPalette::Text), QColor(255, 255, 0));
    QTest::mouseClick(&field, Qt::LeftButton);
    EXPECT_EQ(field.palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(field.palette().color(QPalette::Text), QColor(Qt::black));
    QTest::qWait(1);
    EXPECT_EQ(field.selectedText(), "12");

    const int reads = window.reads, updates = window.updates;
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_TRUE(checked);
    EXPECT_EQ(window.reads, reads + 1);
    EXPECT_EQ(window.updates, updates + 1);
    EXPECT_EQ(field.palette().color(QPalette::Base), QColor(84, 108, 141));

    // A field check can keep the window unread.
    QLineEdit refused(&window);
    window.addEditable(&refused, [](QLineEdit* f) {
        f->setText("29");
        return false;
    });
    QTest::mouseClick(&refused, Qt::LeftButton);
    QTest::keyClick(&refused, Qt::Key_Enter);
    EXPECT_EQ(refused.text(), "29");
    EXPECT_EQ(window.reads, reads + 1);
}

TEST_F(SensorActionsTest, TwaResetOnAnotherPlatform5SensorDoesNothingAndSucceeds) {
    identify(230, 0);
    EXPECT_TRUE(window.ActionTWAReset());
    EXPECT_TRUE(t.ctx.ErrorText.empty());
    EXPECT_TRUE(t.silent.sent.empty());
    EXPECT_TRUE(host.progress.isEmpty());
}

TEST(TwaReset, EachPlatform5WindowSaysWhatTheSensorAnswered) {
    const struct {
        int version;
        const char* status;   // the status bar afterwards
        const char* message;  // the message box, if any
        int resets;           // what reached the sensor
    } cases[] = {
        {0, "TWA reset: the sensor acknowledged it.", "", 1},
        {1, "TWA reset: the sensor acknowledged it.", "", 1},
        {2, "",
         "This sensor speaks protocol 1, which has no TWA reset command. Nothing was sent to "
         "the sensor.",
         0},
        {3, "TWA reset: the sensor acknowledged it.", "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        WindowOnSensor w(5, c.version);
        w.run(kActionTWAReset);
        EXPECT_EQ(w.window->statusBar()->currentMessage(), c.status);
        EXPECT_EQ(w.rig.t.prompter.messages(),
                  *c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        EXPECT_EQ(w.rig.sensor.twaResets(), c.resets);
    }
}

TEST_F(SensorActionsTest, EmptyAnswersAndACancelledSpanNoteEndCalibrationsWithoutAMessage) {
    host.spanNoteAnswer = false;
    EXPECT_FALSE(window.ActionCalCO2span());
    EXPECT_TRUE(t.prompter.prompts.empty()) << "a cancelled span note asks nothing";
    EXPECT_FALSE(window.ActionCalTempZero());
    EXPECT_FALSE(window.ActionCalCO2Zero(2));
    host.spanNoteAnswer = true;
    EXPECT_FALSE(window.ActionCalCO2span());
    EXPECT_EQ(t.prompter.prompts,
              (std::vector<std::string>{"Please enter correct temperature",
                                        "Please enter CO2 concentration",
                                        "Please enter span gas concentration"}));
    EXPECT_TRUE(t.ctx.ErrorText.empty());
    EXPECT_TRUE(t.silent.sent.empty());

    // Through the loop too: nothing is shown.
    window.show();
    for (int16_t code : {5, 8, 9}) {
        t.ctx.PendingAction = code;
        window.activationPass();
    }
    EXPECT_TRUE(t.prompter.messages().empty());
}

TEST_F(SensorActionsTest, CancelledFileDialogsAndAnEmptyFileNameEndTheFileActionsQuietly) {
    EXPECT_FALSE(window.ActionSettingsLoad());
    EXPECT_FALSE(window.ActionSettingsSave());
    EXPECT_EQ(t.prompter.prompts, (std::vector<std::string>{"(*.Set)|*.Set", "(*.Set)|*.Set"}));
    EXPECT_TRUE(t.ctx.ErrorText.empty());
    EXPECT_TRUE(t.silent.sent.empty());
    t.prompter.fileAnswers.push_back(std::string());
    const int updates = window.updates;
    EXPECT_TRUE(window.ActionSettingsLoad());
    EXPECT_EQ(window.updates, updates);
}

TEST_F(SensorActionsTest, HelpPageIsNamedByPlatformAndVersion) {
    t.ctx.AppDir = QDir::tempPath().toStdString();
    identify(231, 3);
    window.mHelp->trigger();
    ASSERT_EQ(host.documents.size(), 1);
    EXPECT_EQ(host.documents[0], QDir(QDir::tempPath()).filePath("help5v3.html"));
}

// A number a field cannot store is held at the nearest one it can; the status bar says so.
TEST(SensorWindowFields, EveryWindowHoldsWhatTheSensorCannotStoreAndSaysSo) {
    const std::tuple<SensorKind, const char*, QString> cases[] = {
        {{5, 0}, "txbOutIntTime_0", "1000"}, {{5, 1}, "txbTolvaLevel_1", "99999"},
        {{61, 0}, "txbAlarm061Level_2", "99999"}, {{7, 2}, "lblAlarm7Level_0", "999999"},
        {{6, 0}, "txbOutBaseLine_0", "250"}, {{6, 4}, "txbV4MinVent", "-20"}};
    for (const auto& [kind, name, typed] : cases) {
        WindowOnSensor w(kind.platform, kind.version);
        auto* field = w.window->findChild<QLineEdit*>(QString::fromLatin1(name));
        ASSERT_NE(field, nullptr) << name;
        type(field, typed);
        EXPECT_EQ(w.window->statusBar()->currentMessage(),
                  QStringLiteral("The sensor cannot store %1: held at %2, the nearest value it can.")
                      .arg(typed, field->text()))
            << name;
    }
}

}  // namespace
}  // namespace kelvo::test
