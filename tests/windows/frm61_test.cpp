// The platform-61 and platform-7 window on virtual sensors: its menus, measurements, status,
// alarms, display sequence and O2 span, and that looking at a sensor never changes it.
#include "windows/platform61/frm61.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include "model/channels.h"
#include "windows/channel_panel.h"
#include "windows/window_input.h"
#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

frm61& windowOf(WindowOnSensor& w) {
    return *static_cast<frm61*>(w.window);
}

// Pictures for the notes when KELVO_SHOT_DIR names a folder.
void picture(QWidget* window, const char* name) {
    const char* dir = std::getenv("KELVO_SHOT_DIR");
    if (!dir) return;
    window->resize(window->sizeHint());
    QApplication::processEvents();
    window->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name)));
}

int word(const std::vector<uint8_t>& memory, int at) {
    return memory[size_t(at)] * 256 + memory[size_t(at) + 1];
}

TEST(Frm61Menus, EachItemLeavesItsCodeAndZeroUnderSinglePointNone) {
    WindowOnSensor w(61, 0);
    frm61& window = windowOf(w);
    const struct {
        QAction* item;
        const char* name;
        const char* caption;
        int16_t code;
        bool pleaseWait;
    } cases[] = {
        {window.mCalTemp, "mCalTemp", "TEMP", kActionCalTemp, false},
        {window.mCalCO2SPzero, "mCalCO2SPzero", "Zero", kActionNone, false},
        {window.mCalCO2SPBackground, "mCalCO2SPBackground", "Fresh air", kActionCalCO2Background,
         true},
        {window.mCalCO2SPOther, "mCalCO2SPOther", "Other", kActionCalCO2Other, true},
        {window.mCalCO2zero, "mCalCO2zero", "CO2 zero", kActionCalCO2Zero, true},
        {window.mCalCO2span, "mCalCO2span", "CO2 span", kActionCalCO2Span, false},
        // Platform 61 keeps no O2 zero word: the item is there, disabled, and says why.
        {window.mCalO2zero, "mCalO2zero", "O2 zero", kActionNone, false},
        {window.mCalO2span, "mCalO2span", "O2 span", kActionCalO2Span, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.item->objectName(), c.name);
        EXPECT_EQ(c.item->text(), c.caption);
        // The single-point "Zero" would do nothing beside "CO2 zero": not offered twice.
        EXPECT_EQ(c.item->isVisible(), c.item != window.mCalCO2SPzero) << c.name;
        w.host.progress.clear();
        c.item->trigger();
        EXPECT_EQ(w.ctx().PendingAction, c.code) << c.name;
        EXPECT_EQ(w.host.progress.contains("Please wait"), c.pleaseWait) << c.name;
        if (c.code == kActionNone) {
            w.window->activationPass();
            EXPECT_TRUE(w.rig.sensor.requests().empty()) << c.name;
        }
        w.ctx().PendingAction = kActionNone;
    }
    EXPECT_TRUE(window.mCalO2zero->toolTip().contains("no O2 zero word"));
    const QList<QAction*> calibrate = window.mCalibrate->actions();
    ASSERT_EQ(calibrate.size(), 6);
    EXPECT_EQ(calibrate[2], window.mCalCO2zero);
    EXPECT_EQ(calibrate[5], window.mCalO2span);
    EXPECT_TRUE(w.rig.t.prompter.messages().empty());
}

class Frm61OnSensor : public OnEachSensor {
protected:
    frm61& window = windowOf(w);
};

TEST_P(Frm61OnSensor, TheStatusShowsOkInTheValueColourAndErrorsInRed) {
    const struct {
        uint8_t status;
        const char* shown;
        bool red;
    } cases[] = {{0x00, "OK", false},
                 {0x02, "OK", false},
                 {0x80, "Warming up ", true},
                 {0x41, "FatalError Memory error ", true}};
    QLineEdit* status = window.pctChannels->txbCHact[frm61::kStatusRow];
    for (const auto& c : cases) {
        w.rig.sensor.memory().ram[67] = c.status;
        w.poll();
        EXPECT_EQ(status->text(), c.shown) << kind.platform;
        EXPECT_EQ(status->palette().color(QPalette::Text),
                  c.red ? QColor(255, 0, 0) : QColor(0, 255, 0))
            << kind.platform << " " << c.shown;
    }
    EXPECT_EQ(window.pctChannels->lblCH_Name[frm61::kStatusRow]->text(), "Status");
    EXPECT_TRUE(w.rig.t.prompter.messages().empty());
}

// Offline, typed channel values drive the alarm statuses; a value equal to its level is no
// alarm, for CO2 (alarm above) and O2 (alarm below) alike. The factory levels: CO2 1000 and
// 5000 ppm on platform 7, 1.5 and 3 % on platform 61, O2 19 and 18 %. Every version shows a
// typed value again as typed (version 1 has no O2 and no alarm panel).
TEST_P(Frm61OnSensor, TypedValuesRaiseTheAlarmsPastTheirLevelsAndNotAtThem) {
    const struct {
        int row;  // txbCHact row: 1 CO2, 2 O2
        const char* value;
        const char* value61;     // CO2 in %
        const char* statuses61;  // rows 0..3, "." OK, "A" ALARM
        const char* statuses7;   // pre, main
    } cases[] = {
        {1, "1000", "1.5", "....", ".."},    {1, "1001", "1.501", "A...", "A."},
        {1, "5000", "3", "A...", "A."},      {1, "5001", "3.001", "AA..", "AA"},
        {1, "20", "0.002", "....", ".."},    {2, "19", "19", "....", ".."},
        {2, "18.99", "18.99", "..A.", "A."}, {2, "18", "18", "..A.", "A."},
        {2, "17.5", "17.5", "..AA", "AA"},   {2, "20.9", "20.9", "....", ".."},
    };
    // The values last polled are where the typing starts.
    w.poll();
    window.SimMode(true);
    w.rig.sensor.clearRecord();
    const bool o2 = !(kind.platform == 61 && kind.version == 1);
    for (const auto& c : cases) {
        if (c.row == 2 && !o2) continue;
        const char* value = kind.platform == 61 && kind.version == 0 ? c.value61 : c.value;
        type(window.pctChannels->txbCHact[c.row], QString::fromLatin1(value));
        EXPECT_EQ(window.pctChannels->txbCHact[c.row]->text(), value) << kind.platform;
        if (!o2) continue;
        std::vector<QLineEdit*> statuses(window.txbAlarm061Status.begin(),
                                         window.txbAlarm061Status.end());
        if (kind.platform == 7) statuses = {window.txbAlarm7StatusPre, window.txbAlarm7StatusMain};
        std::string shown;
        for (QLineEdit* s : statuses) shown += s->text() == "OK" ? "." : "A";
        EXPECT_EQ(shown, kind.platform == 61 ? c.statuses61 : c.statuses7)
            << "platform " << kind.platform << " value " << value;
    }
    // Offline nothing reaches the sensor.
    EXPECT_TRUE(w.rig.sensor.requests().empty());
}

TEST(Frm61, PickingChannelsStoresTheDisplaySequenceAndTheAlarmChannel) {
    WindowOnSensor w61(61, 0);
    frm61& window61 = windowOf(w61);
    w61.ctx().EeImage[50] = 0x66;
    window61.FormUpdate();
    ASSERT_EQ(window61.lblDisp[0]->text(), "O2");
    pick(window61.lblDisp[0], window61.mChannels, window61.mCHannel[5]);
    pick(window61.lblDisp[1], window61.mChannels, window61.mCHannel[4]);
    EXPECT_EQ(window61.lblDisp[0]->text(), "CO2");
    EXPECT_EQ(w61.ctx().EeImage[50], 0x45);

    WindowOnSensor w7(7, 2);
    frm61& window7 = windowOf(w7);
    ASSERT_EQ(window7.lblAlarm7Channel[2]->text(), "O2");
    ASSERT_EQ(window7.lblAlarm7Level[2]->text(), "19");
    pick(window7.lblAlarm7Channel[2], window7.mChannels, window7.mCHannel[4]);
    EXPECT_EQ(int(w7.ctx().EeImage[929]) & 15, 4);
    EXPECT_EQ(window7.lblAlarm7Unit[2]->text(), "C");
    pick(window7.lblDisp[3], window7.mChannels, window7.mCHannel[6]);
    EXPECT_EQ(w7.ctx().EeImage[396], 6);
    QTest::mouseClick(window7.lblAlarm7Slope[0], Qt::LeftButton);
    EXPECT_EQ(window7.lblAlarm7Slope[0]->text(), "<");
}

struct Edit {
    const char* field;
    const char* text;
    int address;  // EEPROM word (or byte when below 0: -address)
    int stored;
};

// Live values are polled into the window; settings typed into it reach the sensor and come
// back on the next read.
TEST_P(Frm61OnSensor, PollsLiveValuesAndRoundTripsItsSettings) {
    const int rows = kind.platform == 61 && kind.version == 1 ? 2 : 3;
    w.poll();
    ASSERT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
    for (int k = 0; k < frm61::kChannelRows; ++k) {
        EXPECT_EQ(window.pctChannels->pctChannel[k]->isVisibleTo(&window),
                  k < rows || k == frm61::kStatusRow)
            << k;
    }
    for (int k = 0; k < rows; ++k) {
        const float raw = w.ctx().RamImage[20 + 2 * k] * 256 + w.ctx().RamImage[21 + 2 * k];
        EXPECT_EQ(window.pctChannels->txbCHact[k]->text().toStdString(),
                  FormatChannelValue(w.ctx(), raw, float(4 + k), false, false));
        EXPECT_FALSE(window.pctChannels->txbCHact[k]->text().isEmpty());
    }
    EXPECT_EQ(window.pctChannels->txbCHact[frm61::kStatusRow]->text(), "OK");

    std::vector<Edit> edits;
    if (kind.platform == 7) {
        edits = {{"txbID", "7", -16, 7},
                 {"lblAlarm7Level_0", "1500", 834, 1500},
                 {"lblAlarm7Level_3", "17.5", 852, 1750}};
    } else {
        edits = {{"txbID", "12", -32, 12}};
        if (kind.version == 0) edits.push_back({"txbAlarm061Level_1", "4", 78, 9000});  // CO2 in %
    }
    for (const Edit& e : edits) type(window.findChild<QLineEdit*>(e.field), e.text);
    if (kind.platform == 7) QTest::mouseClick(window.lblAlarm7Slope[1], Qt::LeftButton);
    w.run(kActionSensorWrite);
    ASSERT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
    const auto& ee = w.rig.sensor.memory().eeprom;
    for (const Edit& e : edits) {
        EXPECT_EQ(e.address < 0 ? ee[size_t(-e.address)] : word(ee, e.address), e.stored)
            << e.field;
    }
    if (kind.platform == 7) {
        EXPECT_EQ(ee[842] & 0x80, 0x80);
        EXPECT_EQ(word(ee, 844), 0x3FFF);
    }

    for (const Edit& e : edits) window.findChild<QLineEdit*>(e.field)->setText("0");
    w.run(kActionSensorRead);
    for (const Edit& e : edits) {
        EXPECT_EQ(window.findChild<QLineEdit*>(e.field)->text(), e.text) << e.field;
    }
    EXPECT_FALSE(window.cbxSimulated->isChecked());
}

INSTANTIATE_TEST_SUITE_P(EveryVersion, Frm61OnSensor,
                         ::testing::Values(SensorKind{61, 0}, SensorKind{61, 1}, SensorKind{7, 1},
                                           SensorKind{7, 2}),
                         kindName);

// Before a sensor has been shown, the fields hold only what the window was drawn with
// (levels 1.5, 3, 19, 18, an empty ID): leaving the window then stores none of it.
TEST(Frm61, AWindowThatShowedNoSensorStoresNothing) {
    WindowOnSensor w(61, 0);
    frm61 fresh(w.ctx(), w.host);
    const auto image = w.ctx().EeImage;
    fresh.FormRead();
    fresh.FormUpdateInit();
    fresh.FormRead();
    EXPECT_EQ(w.ctx().EeImage, image);
}

// A level typed below what the sensor measures shows the alarm at once on platform 61.
TEST(Frm61, ALevelTypedBelowTheLiveValueShowsTheAlarm) {
    WindowOnSensor w61(61, 0);
    frm61& window61 = windowOf(w61);
    w61.poll();
    ASSERT_EQ(window61.txbAlarm061Status[0]->text(), "OK");
    type(window61.txbAlarm061Level[0], "0.03");  // % of CO2, below room air
    EXPECT_EQ(window61.txbAlarm061Status[0]->text(), "ALARM");
    EXPECT_EQ(window61.txbAlarm061Status[0]->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(window61.txbAlarm061Status[1]->text(), "OK");
    EXPECT_EQ(window61.txbAlarm061Status[1]->palette().color(QPalette::Base), QColor(0, 255, 0));
    picture(&window61, "frm61-platform61v0-alarm.png");

    WindowOnSensor w7(7, 2);
    frm61& window7 = windowOf(w7);
    w7.poll();
    EXPECT_EQ(window7.txbAlarm7StatusPre->text(), "OK");
    // Platform 7 shows the sensor's alarms: unsent edits raise nothing, as the tip says.
    QTest::mouseClick(window7.lblAlarm7Slope[0], Qt::LeftButton);
    EXPECT_TRUE(window7.txbAlarm7StatusPre->text() == "OK" &&
                !window7.txbAlarm7StatusPre->toolTip().isEmpty());
    QTest::mouseClick(window7.lblAlarm7Slope[0], Qt::LeftButton);
    type(window7.lblAlarm7Level[0], "400");
    EXPECT_EQ(window7.txbAlarm7StatusPre->text(), "OK");
    w7.run(kActionSensorWrite);
    EXPECT_EQ(window7.txbAlarm7StatusPre->text(), "ALARM");
    EXPECT_EQ(window7.txbAlarm7StatusMain->text() + window7.txbAlarm7StatusPre->toolTip(), "OK");
    picture(&window7, "frm61-platform7v2.png");
}

}  // namespace
}  // namespace kelvo::test
