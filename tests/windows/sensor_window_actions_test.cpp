// The shared actions end quietly where the user or the sensor says there is nothing to do.
#include <gtest/gtest.h>

#include <QDir>
#include <tuple>
#include <QLineEdit>
#include <QStatusBar>

#include "support/test_context.h"
#include "windows/fake_window_host.h"
#include "windows/probe_window.h"
#include "windows/window_input.h"
#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

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

TEST_F(SensorActionsTest, EmptyAnswersEndCalibrationsWithoutAMessage) {
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

TEST_F(SensorActionsTest, ACancelledSpanNoteAsksNothing) {
    host.spanNoteAnswer = false;
    EXPECT_FALSE(window.ActionCalCO2span());
    EXPECT_TRUE(t.prompter.prompts.empty());
}

TEST_F(SensorActionsTest, CancelledFileDialogsEndTheFileActionsQuietly) {
    EXPECT_FALSE(window.ActionSettingsLoad());
    EXPECT_FALSE(window.ActionSettingsSave());
    EXPECT_EQ(t.prompter.prompts, (std::vector<std::string>{"(*.Set)|*.Set", "(*.Set)|*.Set"}));
    EXPECT_TRUE(t.ctx.ErrorText.empty());
    EXPECT_TRUE(t.silent.sent.empty());
}

TEST_F(SensorActionsTest, AnEmptyFileNameLoadsNothing) {
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
