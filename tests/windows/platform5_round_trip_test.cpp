// Both platform-5 windows end to end on a virtual sensor: every setting changed on screen,
// sent, and read back from the sensor shows the same screen; the sensor holds the bytes
// the edits stand for.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <map>

#include "link/address_lists.h"
#include "model/channels.h"
#include "windows/channel_panel.h"
#include "windows/platform5/frm5.h"
#include "windows/platform5/frm5chart.h"
#include "windows/platform5/shape_picture.h"
#include "windows/window_input.h"
#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

// Everything the window shows of the sensor's settings, by control name. Measured values
// and alarm states move on their own and are left out.
std::map<std::string, std::string> settingsOnScreen(const QWidget* window) {
    std::map<std::string, std::string> shown;
    auto live = [](const QString& name) {
        for (const char* prefix :
             {"txbCHact", "txbOutOut", "txbStatus", "txbTolvaActTempAenable", "cbxSimulated"})
            if (name.startsWith(QLatin1String(prefix))) return true;
        return name.isEmpty();
    };
    for (const auto* field : window->findChildren<QLineEdit*>())
        if (!live(field->objectName()))
            shown[field->objectName().toStdString()] = field->text().toStdString();
    for (const auto* label : window->findChildren<QLabel*>())
        if (!live(label->objectName()))
            shown[label->objectName().toStdString()] = label->text().toStdString();
    for (const auto* box : window->findChildren<QAbstractButton*>())
        if (box->isCheckable() && !live(box->objectName()))
            shown[box->objectName().toStdString()] = box->isChecked() ? "ticked" : "clear";
    for (const auto* picture : window->findChildren<ShapePicture*>())
        shown[picture->objectName().toStdString()] = picture->isHidden() ? "hidden" : "shown";
    return shown;
}

void editEverySetting(frm5& w) {
    w.txbID->setText("12");
    pick(w.lblDisplayMode, w.mDisplayModes, w.mDisplayMode[4]);
    pick(w.lblShiftb, w.mChannels, w.mCHannel[0]);
    w.txbShiftBamount->setText("2.5");
    pick(w.pctChannels->lblCH_Type[0], w.mTempUnit, w.mTempUnitFarenheit);
    w.optOut5mA[0]->setChecked(true);
    w.txbOutBaseLine[0]->setText("25");
    w.txbOutIntTime[0]->setText("16");
    w.optOut5Digital[1]->setChecked(true);
    for (int i = 0; i < frm5::kFunctions; ++i) {
        w.lblFchannel[i]->setText(w.mCHannel[i % 2]->text());
        w.txbFa[i]->setText(i % 2 ? "500" : "10");
        w.txbFb[i]->setText(i % 2 ? "1500" : "30");
        w.cbxFout1[i]->setChecked(i % 2 == 0);
        w.cbxFout2[i]->setChecked(i >= 3);
        w.FormRead();
        w.FormUpdate();
        for (int click = 0; click <= i; ++click) w.FunkTypeUpdate(float(i), true, true, true);
    }
    w.txbDigTtime->setText("3.5");
    pick(w.lblDigTunit, w.mTimeUnits, w.mTimeUnitMin);
    w.txbDigTlevel->setText("-40");
    w.cbxDigTout[0]->setChecked(true);
    w.cbxDigTout[1]->setChecked(true);
}

void editEverySetting(frm5Chart& w) {
    w.txbID->setText("7");
    pick(w.lblDisplayMode, w.mDisplayModes, w.mDisplayMode[2]);
    w.cbxTWAonP0->click();
    pick(w.pctChannels->lblCH_Type[0], w.mTempUnit, w.mTempUnitFarenheit);
    const char* levels[frm5Chart::kRows] = {"800", "1000", "600", "5", "30"};
    for (int k = 0; k < frm5Chart::kRows; ++k) {
        w.txbTolvaLevel[k]->setText(levels[k]);
        w.cbxTolvarelay[k]->setChecked(!w.cbxTolvarelay[k]->isChecked());
    }
}

class Platform5RoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(Platform5RoundTrip, EverySettingSentComesBackAsItWasShown) {
    WindowOnSensor w(5, GetParam());
    SensorWindow* window = w.window;
    const auto factory = w.rig.sensor.memory().ram;
    auto* alarms = dynamic_cast<frm5Chart*>(window);
    if (alarms) {
        editEverySetting(*alarms);
    } else {
        editEverySetting(*dynamic_cast<frm5*>(window));
    }
    window->FormRead();
    window->FormUpdate();
    const auto edited = settingsOnScreen(window);

    w.run(kActionSensorWrite);
    ASSERT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
    const auto& sensor = w.rig.sensor.memory().ram;
    auto word = [&](int a) { return sensor[a] % 128 * 256 + sensor[a + 1]; };
    auto raw = [&](const char* text, int channel) {
        return int(ParseChannelValue(w.ctx(), text, float(channel), false));
    };
    auto expectBytes = [&](std::initializer_list<std::pair<int, int>> bytes) {
        for (const auto& [address, value] : bytes) EXPECT_EQ(sensor[address], value) << address;
    };
    if (alarms) {
        expectBytes({{208, 7}, {31, 2}, {162, 3}, {205, 243}, {207, 32}});
        EXPECT_EQ(sensor[189], (factory[189] & 0xE0) | (~factory[189] & 31));
        EXPECT_EQ(word(165 + 5), raw("1000", 1));
        EXPECT_EQ(word(163 + 5), raw("1000", 1) - 10);
        EXPECT_EQ(word(163 + 15), raw("5", 0));
        EXPECT_EQ(word(165 + 15), raw("5", 0) + 100);
        EXPECT_EQ(sensor[226], GetParam());
    } else {
        // Byte 32: channel 0, one step of 2.5 degrees.
        expectBytes({{208, 12}, {31, 4}, {32, 0 * 32 + 16}, {192, 3}, {205, 32}});
        expectBytes({{187, 128 + 14}, {188, 128 + 51}});
        EXPECT_EQ(sensor[57] & 6, 2);
        EXPECT_EQ(sensor[189] & 64, 0);
        EXPECT_EQ(sensor[193] & 64, 64);
        EXPECT_EQ(word(165 + 5), raw("1500", 1));
    }
    // Whatever the window sent is what its image holds.
    for (const WriteRequest& step : SettingsSendSteps(5, float(GetParam()))) {
        std::vector<int> addresses;
        if (step.span.count > 0) {
            for (int a = step.span.address; a < step.span.address + step.span.count; ++a)
                addresses.push_back(a);
        } else {
            w.ctx().AddressMask.fill(0);
            SelectAddressList(w.ctx(), step.span.list);
            for (int a = 0; a < 256; ++a)
                if (w.ctx().AddressMask[a]) addresses.push_back(a);
        }
        for (int a : addresses) EXPECT_EQ(sensor[a], int(w.ctx().RamImage[a])) << "RAM " << a;
    }

    w.run(kActionSensorRead);
    ASSERT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
    EXPECT_EQ(settingsOnScreen(window), edited);
}

INSTANTIATE_TEST_SUITE_P(EveryVersion, Platform5RoundTrip, ::testing::Values(0, 1, 2, 3),
                         [](const auto& info) { return "Version" + std::to_string(info.param); });

}  // namespace
}  // namespace kelvo::test
