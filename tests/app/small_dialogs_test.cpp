#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/frm_msg.h"
#include "app/frm_sim.h"
#include "app/frm_span_cal_note.h"
#include "app/qt_prompter.h"
#include "app/shell_fixture.h"
#include "common/context.h"

namespace kelvo::test {
namespace {

using ProgressDialog = ShellTest;

// Cancel and Escape ask the operation to stop; the operation's caller closes the dialog.
TEST_F(ProgressDialog, CancelOrEscapeLeavesAvbrytAndTheDialogOpen) {
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        tc.ctx.ErrorText.clear();
        frmMsg dialog(tc.ctx);
        dialog.ShowProgress("Reading sensor", false, nullptr, false, true, true);
        ASSERT_TRUE(dialog.isVisible());
        escape ? QTest::keyClick(&dialog, Qt::Key_Escape) : dialog.Command1->click();
        EXPECT_EQ(tc.ctx.ErrorText, "Avbryt");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(tc.prompter.shown.empty());
    }
}

TEST_F(ProgressDialog, TimerShowsStatusAndPercentOfVisibleLinesOnly) {
    frmMsg dialog(tc.ctx);
    dialog.ShowProgress("Sending to sensor", false, nullptr, false, false, false);
    EXPECT_EQ(dialog.Timer1->interval(), 100);
    EXPECT_TRUE(dialog.Timer1->isActive());
    dialog.Label3->setText("old");
    tc.ctx.StatusText = "Writing EEPROM";
    tc.ctx.ProgressPercent = 42;
    dialog.Timer1_Timer();
    EXPECT_EQ(dialog.Label1->text(), "Sending to sensor");
    EXPECT_EQ(dialog.Label2->text(), "Writing EEPROM");
    EXPECT_EQ(dialog.Label3->text(), "");
    EXPECT_EQ(dialog.ProgressBar1->value(), 42);

    dialog.ShowProgress("Please wait", true, nullptr, false, true, true);
    tc.ctx.StatusText = "ignored while hidden";
    tc.ctx.ProgressPercent = 80;
    dialog.Timer1_Timer();
    EXPECT_EQ(dialog.Label2->text(), "Writing EEPROM");
    EXPECT_TRUE(dialog.ProgressBar1->isHidden());
    EXPECT_EQ(dialog.ProgressBar1->value(), 0);
}

TEST_F(ProgressDialog, LinesStackAndTheBarMakesTheDialogTaller) {
    frmMsg dialog(tc.ctx);
    dialog.ShowProgress("Please wait", true, nullptr, false, true, true);
    const int oneLine = dialog.height();
    EXPECT_FALSE(dialog.Label1->isHidden());
    EXPECT_TRUE(dialog.Label2->isHidden());
    EXPECT_TRUE(dialog.Label3->isHidden());

    dialog.ShowProgress("Reading sensor", false, nullptr, false, true, true);
    const int withBar = dialog.height();
    EXPECT_GT(withBar, oneLine);
    EXPECT_GT(dialog.ProgressBar1->y(), dialog.Label1->y());

    dialog.ShowProgress("Calibrating", false, nullptr, false, false, false);
    EXPECT_GT(dialog.height(), withBar);
    EXPECT_LT(dialog.Label1->y(), dialog.Label2->y());
    EXPECT_LT(dialog.Label2->y(), dialog.Label3->y());

    // All lines hidden: the lines keep the layout they had.
    dialog.ShowProgress("Still busy", false, nullptr, true, true, true);
    EXPECT_FALSE(dialog.Label2->isHidden());
    EXPECT_FALSE(dialog.Label3->isHidden());
}

TEST_F(ProgressDialog, AnEmptyCaptionClosesEvenWhenNeverShownAndEndsTheOwnersHourglass) {
    QWidget owner;
    frmMsg dialog(tc.ctx);
    dialog.ShowProgress(QString(), false, nullptr, false, true, true);
    EXPECT_FALSE(dialog.isVisible());
    dialog.ShowProgress("Please wait", true, &owner, false, true, true);
    EXPECT_EQ(owner.cursor().shape(), Qt::WaitCursor);
    dialog.ShowProgress(QString(), true, nullptr, false, true, true);
    EXPECT_EQ(owner.cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(dialog.isVisible());
}

using SimulationChoice = ShellTest;

TEST_F(SimulationChoice, NextKeepsErrorTextAndCancelOrEscapeMarksAvbryt) {
    frmSim dialog(tc.ctx);
    int answers = 0;
    QObject::connect(&dialog, &frmSim::chosen, [&] { ++answers; });
    EXPECT_EQ(dialog.windowTitle(), "Simulated mode");
    dialog.show();
    dialog.Command1->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(tc.ctx.ErrorText, "");
    dialog.show();
    dialog.Command2->click();
    EXPECT_EQ(tc.ctx.ErrorText, "Avbryt");
    EXPECT_EQ(answers, 2);
    tc.ctx.ErrorText.clear();
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(tc.ctx.ErrorText, "Avbryt");
    EXPECT_FALSE(dialog.isVisible());
}

using SpanCalNote = ShellTest;

TEST_F(SpanCalNote, EnterRightAwayCancels) {
    frmSpanCalNote note(tc.ctx);
    EXPECT_EQ(note.windowTitle(), "Span cal note");
    EXPECT_EQ(note.Label1->text(), "Note!");
    EXPECT_TRUE(note.Label2->text().startsWith(
        "The Span constant is given from the factory calibration  and  is not expected"));
    EXPECT_TRUE(note.Label2->text().contains("age.   If span"));
    QWidget* focused = nullptr;
    QTimer::singleShot(0, &note, [&] {
        focused = note.focusWidget();
        QTest::keyClick(focused ? focused : &note, Qt::Key_Return);
    });
    EXPECT_FALSE(note.ask());
    EXPECT_EQ(focused, note.Command1);
    EXPECT_EQ(tc.ctx.ErrorText, "Avbryt");
}

TEST_F(SpanCalNote, NextGoesOn) {
    frmSpanCalNote note(tc.ctx);
    QTimer::singleShot(0, &note, [&] { note.Command2->click(); });
    EXPECT_TRUE(note.ask());
    EXPECT_EQ(tc.ctx.ErrorText, "");
}

TEST(FileFilter, SettingsFilterOffersEveryCaseOfTheExtension) {
    EXPECT_EQ(qtFileFilter("(*.Set)|*.Set"), "(*.Set *.set *.SET)");
    EXPECT_EQ(qtFileFilter("Settings (*.Set)|*.Set"), "Settings (*.Set *.set *.SET)");
    EXPECT_EQ(qtFileFilter("Text|*.txt|All|*.*"), "Text (*.txt *.TXT);;All (*.*)");
}

}  // namespace
}  // namespace kelvo::test
