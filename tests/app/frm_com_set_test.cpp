#include "app/frm_com_set.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/frm_msg.h"
#include "app/shell_fixture.h"
#include "common/context.h"

namespace kelvo::test {
namespace {

using ComSetPreferences = ShellTest;

// Missing keys show port 1, an empty ID and a single sensor. Each stored "True" selects its
// option and drops the earlier ones, so the last one wins; a stored simulated mode loads as a
// single sensor, only the texts "True" and "1" count, and a stored ID no sensor can have is
// not offered.
TEST_F(ComSetPreferences, MissingOrStoredStartModesLeaveExactlyOneSelected) {
    const struct {
        const char* what;
        std::vector<std::pair<const char*, const char*>> stored;
        int selected;
    } cases[] = {
        {"nothing stored", {}, 0},
        {"simulated",
         {{"StartMode0", "False"}, {"StartMode1", "False"}, {"StartMode2", "True"}},
         0},
        {"several", {{"StartMode0", "True"}, {"StartMode1", "True"}, {"StartMode2", "False"}}, 1},
        {"network and simulated", {{"StartMode1", "True"}, {"StartMode2", "True"}}, 0},
        {"lower case", {{"StartMode1", "true"}, {"Dont", "True"}}, 0},
        {"ID 45", {{"ID", "45"}}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        startUp.reset();
        QSettings("Kelvo", "Kelvo").clear();
        for (const auto& [key, value] : c.stored) storePreference(key, value);
        frmComSet& dialog = shell().comSet();
        for (int mode = 0; mode < 3; ++mode)
            EXPECT_EQ(dialog.optStartMode[mode]->isChecked(), mode == c.selected) << mode;
        EXPECT_EQ(dialog.txbID->isHidden(), c.selected != 1);
        EXPECT_EQ(dialog.txbID->text(), "");
        EXPECT_FALSE(dialog.cbxDontShow->isChecked());
        EXPECT_EQ(dialog.comPortText(), "1");
        EXPECT_EQ(dialog.Label1->text(), "Kelvo 3.09");
        EXPECT_EQ(dialog.windowTitle(), "Communication setup");
    }
}

TEST_F(ComSetPreferences, StoredValuesComeBackAndTheIdRowFollowsNetworkMode) {
    storePreference("ComPort", "virtual:6v3");
    storePreference("StartMode1", "True");
    storePreference("ID", "12");
    storePreference("Dont", "1");
    frmComSet& dialog = shell().comSet();
    EXPECT_EQ(dialog.comPortText(), "virtual:6v3");
    EXPECT_TRUE(dialog.optStartMode[1]->isChecked());
    EXPECT_EQ(dialog.txbID->text(), "12");
    EXPECT_TRUE(dialog.cbxDontShow->isChecked());
    EXPECT_FALSE(dialog.txbID->isHidden());
    EXPECT_FALSE(dialog.lblID->isHidden());

    dialog.optStartMode[0]->click();
    EXPECT_TRUE(dialog.txbID->isHidden());
    EXPECT_TRUE(dialog.lblID->isHidden());
}

TEST_F(ComSetPreferences, StartStoresTheSixKeysAsTextAndHides) {
    frmComSet dialog(tc.ctx, shell());
    int starts = 0;
    bool hiddenAtStart = false;
    QObject::connect(&dialog, &frmComSet::startRequested, [&] {
        ++starts;
        hiddenAtStart = !dialog.isVisible();
    });
    dialog.show();
    dialog.txbComPort->setCurrentText("/dev/ttyUSB0");
    dialog.optStartMode[1]->click();
    QTest::keyClicks(dialog.txbID, "7");
    dialog.cbxDontShow->setChecked(true);
    dialog.btnStartKelvo->click();

    const std::pair<const char*, const char*> stored[] = {
        {"ComPort", "/dev/ttyUSB0"}, {"StartMode0", "False"}, {"StartMode1", "True"},
        {"StartMode2", "False"}, {"ID", "7"}, {"Dont", "1"}};
    for (const auto& [key, value] : stored) EXPECT_EQ(storedPreference(key), value) << key;
    EXPECT_TRUE(hiddenAtStart);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(programEnds, 0);
}

TEST_F(ComSetPreferences, ExitAndCloseStoreAndEndTheProgram) {
    frmComSet& dialog = shell().comSet();
    for (const auto& [ends, port] : {std::pair{1, "3"}, {2, "4"}}) {  // Exit, then the close box
        dialog.show();
        dialog.txbComPort->setCurrentText(port);
        ends == 1 ? dialog.btnExit->click() : void(dialog.close());
        EXPECT_EQ(storedPreference("ComPort"), port);
        EXPECT_EQ(programEnds, ends);
    }
}

TEST_F(ComSetPreferences, NetworkIdIsTypedFreelyAndCheckedOnStart) {
    const struct {
        const char* typed;
        const char* message;  // empty: the dialog starts Kelvo
        int mode = 1;
    } cases[] = {
        {"35", "Network ID 35 is outside 0 to 29."},
        {"-1", "Network ID -1 is outside 0 to 29."},
        {"x1", "\"x1\" is not a network ID. Type a number from 0 to 29."},
        {"", "Type the sensor's network ID, a number from 0 to 29."},
        {"30", "Network ID 30 is outside 0 to 29."},
        {" 29 ", ""},
        {"0", ""},
        // A single sensor does not need the ID: whatever the field holds starts it.
        {"abc", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        frmComSet dialog(tc.ctx, shell());
        int starts = 0;
        QObject::connect(&dialog, &frmComSet::startRequested, [&] { ++starts; });
        dialog.show();
        dialog.optStartMode[1]->click();
        dialog.txbID->clear();
        QTest::keyClicks(dialog.txbID, c.typed);
        EXPECT_EQ(dialog.txbID->text(), c.typed);  // no key is dropped
        dialog.optStartMode[c.mode]->click();
        const size_t before = tc.prompter.messages().size();
        dialog.btnStartKelvo->click();
        if (*c.message) {
            ASSERT_EQ(tc.prompter.messages().size(), before + 1);
            EXPECT_EQ(tc.prompter.messages().back(), c.message);
            EXPECT_EQ(starts, 0);
            EXPECT_TRUE(dialog.isVisible());
        } else {
            EXPECT_EQ(tc.prompter.messages().size(), before);
            EXPECT_EQ(starts, 1);
        }
    }
}

TEST_F(ComSetPreferences, PortPickListOffersTheVirtualSensorsAndKeepsTheTypedPort) {
    storePreference("ComPort", "2");
    shell().setPortChoices({"virtual:5", "virtual:6", "/dev/ttyS0"});
    frmComSet& dialog = shell().comSet();
    EXPECT_EQ(dialog.comPortText(), "2");
    EXPECT_GE(dialog.txbComPort->findText("virtual:5"), 0);
    EXPECT_GE(dialog.txbComPort->findText("/dev/ttyS0"), 0);
}

using ComSetLogging = ShellTest;

TEST_F(ComSetLogging, OnlyAMouseTickSwitchesItOnAndUntickingLeavesItOn) {
    frmComSet& dialog = shell().comSet();
    dialog.show();
    dialog.cbxLoggcom->setFocus();
    for (const bool ticked : {true, false}) {  // by the keyboard
        QTest::keyClick(dialog.cbxLoggcom, Qt::Key_Space);
        EXPECT_EQ(dialog.cbxLoggcom->isChecked(), ticked);
        EXPECT_FALSE(tc.ctx.ComLogEnabled);
    }
    for (const bool ticked : {true, false}) {  // by the mouse
        QTest::mouseClick(dialog.cbxLoggcom, Qt::LeftButton);
        EXPECT_EQ(dialog.cbxLoggcom->isChecked(), ticked);
        EXPECT_TRUE(tc.ctx.ComLogEnabled);
    }
    EXPECT_EQ(storedPreference("Loggcom"), "<missing>");
}

using ComSetSendFile = ShellTest;

// A path typed without choosing the file sends nothing and says nothing; an empty one is
// reported.
TEST_F(ComSetSendFile, ATypedPathSendsNothingAndAnEmptyOneIsReported) {
    frmComSet& dialog = shell().comSet();
    dialog.show();
    dialog.txbFileName->setText(workDir.filePath("typed.Set"));
    dialog.cmdSendFile->click();
    EXPECT_TRUE(tc.prompter.shown.empty());
    dialog.txbFileName->setText("   ");
    dialog.cmdSendFile->click();
    EXPECT_EQ(tc.prompter.messages(),
              std::vector<std::string>{"Please enter file name in the textbox."});
    EXPECT_EQ(tc.ctx.ErrorText, "");
    EXPECT_FALSE(shell().progress().isVisible());
    EXPECT_EQ(tc.silent.opens, 0);
    EXPECT_TRUE(tc.silent.sent.empty());
}

TEST_F(ComSetSendFile, BrowseTakesTheChosenPathAndCancelChangesNothing) {
    frmComSet& dialog = shell().comSet();
    tc.prompter.fileAnswers = {std::string("/tmp/a.Set"), std::nullopt};
    dialog.Command5->click();
    EXPECT_EQ(dialog.txbFileName->text(), "/tmp/a.Set");
    EXPECT_EQ(dialog.CD1FileName(), "/tmp/a.Set");
    dialog.Command5->click();
    EXPECT_EQ(dialog.txbFileName->text(), "/tmp/a.Set");
    EXPECT_EQ(tc.prompter.prompts, (std::vector<std::string>{"(*.Set)|*.Set", "(*.Set)|*.Set"}));
}

using ComSetHelp = ShellTest;

TEST_F(ComSetHelp, HelpOpensThePageInTheWorkingFolder) {
    shell().Main();
    shell().comSet().btnHelp->click();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(QDir::cleanPath(opened[0]), QDir::cleanPath(workDir.filePath("helpComSet.html")));
    EXPECT_FALSE(opened[0].contains("//"));
}

TEST_F(ComSetSendFile, BeforeTheFirstStartTheLinkUsesTheStoredPort) {
    storePreference("ComPort", "virtual:6v3");
    shell().Main();
    EXPECT_EQ(tc.silent.portName(), "virtual:6v3");
    // The dialog's fields reach the link only through "Start Kelvo".
    shell().comSet().txbComPort->setCurrentText("4");
    EXPECT_EQ(tc.silent.portName(), "virtual:6v3");
}

}  // namespace
}  // namespace kelvo::test
