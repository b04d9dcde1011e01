// The platform-5 window: its controls by name, the round trip between image and fields,
// simulated mode's outputs computed from typed channel values, and the window against a
// virtual sensor on the virtual clock: polling, reading, sending, and a sensor that stops
// answering.
#include "windows/platform5/frm5.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "files/definition_file.h"
#include "model/channels.h"
#include "model/platform_profile.h"
#include "settings/function_shapes.h"
#include "settings/platform5_codecs.h"
#include "support/test_context.h"
#include "support/virtual_sensor_rig.h"
#include "windows/channel_panel.h"
#include "windows/edit_field.h"
#include "windows/fake_window_host.h"
#include "windows/platform5/shape_picture.h"
#include "windows/sensor_windows.h"
#include "windows/window_input.h"
#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

class Frm5Test : public ::testing::Test {
protected:
    Frm5Test() : window(t.ctx, host) {
        t.ctx.AppDir = KELVO_SOURCE_DIR "/data";
        t.ctx.RamImage[65] = 231;
        for (auto& read : t.ctx.RamRead) read = true;
    }

    float& ram(int address) { return t.ctx.RamImage[address]; }
    template <typename W>
    W* control(const char* name) {
        W* w = window.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    TestContext t;
    FakeWindowHost host;
    frm5 window;
};

TEST_F(Frm5Test, ControlsCarryTheirNames) {
    EXPECT_EQ(window.windowTitle(), "Kelvo 3.09");
    for (const char* name :
         {"txbSN", "txbID", "txbShiftBamount", "txbCHact_0", "txbCHact_4", "txbOutOut_1",
          "txbOutBaseLine_0", "txbOutIntTime_1", "txbDigTlevel", "txbDigTtime"})
        control<QLineEdit>(name);
    for (const char* name : {"lblDisplayMode", "lblShiftb", "lblShiftb_Type", "lblCH_Name_3",
                             "lblCH_Type_0", "lblDigTunit"})
        control<QLabel>(name);
    EXPECT_EQ(control<QRadioButton>("optOut5Digital_1")->text(), "Digital");
    EXPECT_EQ(control<QLabel>("lblOutName_1")->text(), "Out 2");
    EXPECT_EQ(control<QAction>("mDisplayMode_4")->text(), "AN1 + AN2 + ID");
    EXPECT_FALSE(control<QAction>("mDisplayMode_0")->isVisible());
    EXPECT_EQ(control<QAction>("mTempUnitFarenheit")->text(), "Farenheit");
    EXPECT_NE(window.findChild<QWidget*>("pctChannel_4"), nullptr);
}

TEST_F(Frm5Test, ShowsTheSettingsOfTheImage) {
    ram(208) = 7;
    ram(31) = 0;
    ram(57) = 2;         // Out 1 20-100 %
    ram(193) = 64 + 32;  // Out 2 digital, driven by the trigger
    ram(190) = 176;      // base line Out 1: 45056 -> 75 %
    ram(191) = 0;
    ram(192) = 3;         // 16 s
    ram(187) = 128 + 10;  // 2.5 min
    ram(188) = 128 + 64;  // -50 %
    window.FormUpdate();
    EXPECT_EQ(window.txbID->text(), "7");
    EXPECT_EQ(window.lblDisplayMode->text(), "Off");
    EXPECT_TRUE(window.optOut5mA[0]->isChecked());
    EXPECT_TRUE(window.optOut5Digital[1]->isChecked());
    EXPECT_TRUE(window.txbOutBaseLine[1]->isHidden());
    EXPECT_FALSE(window.txbOutBaseLine[0]->isHidden());
    EXPECT_EQ(window.txbOutBaseLine[0]->text(), "75");
    EXPECT_EQ(window.txbOutIntTime[0]->text(), "16");
    EXPECT_EQ(window.txbDigTtime->text(), "2.5");
    EXPECT_EQ(window.lblDigTunit->text(), "Min");
    EXPECT_EQ(window.txbDigTlevel->text(), "-50");
    EXPECT_TRUE(window.pctDigTPsign->isHidden());
    EXPECT_FALSE(window.pctDigTNsign->isHidden());
    EXPECT_FALSE(window.cbxDigTout[0]->isChecked());
    EXPECT_TRUE(window.cbxDigTout[1]->isChecked());
}

// Leaving a field stores it as the sensor will keep it and shows it back so; a network ID
// beyond 29, or no number, shows 29 and is stored when the window is read.
TEST_F(Frm5Test, LeavingAFieldStoresItAsTheSensorWill) {
    window.FormUpdate();
    const struct {
        QLineEdit* field;
        const char* typed;
        const char* shown;
        std::vector<std::pair<int, int>> stored;  // address, byte
    } cases[] = {
        {window.txbOutIntTime[0], "1", "2", {{192, 0}}},
        {window.txbOutIntTime[1], "8", "8", {{196, 2}}},
        {window.txbDigTtime, "32", "0", {{187, 0}}},
        {window.txbDigTlevel, "-50", "-50", {{188, 192}}},
        {window.txbOutBaseLine[1], "abc", "0", {{194, 128}, {195, 0}}},
        {window.txbID, "35", "29", {}},
        {window.txbID, "2a9", "29", {}},
    };
    for (const auto& c : cases) {
        type(c.field, c.typed);
        EXPECT_EQ(c.field->text(), c.shown) << c.typed;
        for (const auto& [address, byte] : c.stored) EXPECT_EQ(ram(address), byte) << c.typed;
    }
    window.FormRead();
    EXPECT_EQ(ram(208), 29);
}

TEST_F(Frm5Test, ADigitalOutputStoresTheZeroBaseLine) {
    window.FormUpdate();
    window.txbOutBaseLine[0]->setText("40");
    window.optOut5Digital[0]->setChecked(true);
    window.FormRead();
    EXPECT_EQ(ram(189), 64);
    EXPECT_EQ(ram(190), 128);
    EXPECT_EQ(ram(191), 0);
}

TEST_F(Frm5Test, OutputRangeBitsLeaveTheOthersAlone) {
    ram(57) = 1 + 8 + 2;
    window.FormUpdate();
    window.optOut5V[0]->setChecked(true);
    window.optOut5mA[1]->setChecked(true);
    window.FormRead();
    EXPECT_EQ(ram(57), 1 + 8 + 4);
}

TEST_F(Frm5Test, ChannelValuesAreTypedOnlyInSimulatedMode) {
    QLineEdit* value = window.pctChannels->txbCHact[1];
    window.SimMode(false);
    EXPECT_TRUE(value->isReadOnly());
    window.SimMode(true);
    EXPECT_FALSE(value->isReadOnly());
    EXPECT_FALSE(window.btnDigTrig->isHidden());
    EXPECT_FALSE(window.mTWAreset->isEnabled());
}

TEST_F(Frm5Test, AFunctionShowsTheShapeOfItsSignAndSlope) {
    ram(163 + 5 * 2) = 128;  // negative sign
    ram(165 + 5 * 2) = 128;  // positive slope
    window.FormUpdate();
    EXPECT_FALSE(control<ShapePicture>("pctFNsignPslope_2")->isHidden());
    EXPECT_TRUE(control<ShapePicture>("pctFPsignPslope_2")->isHidden());

    ram(189) = 64 + 4;  // Out 1 digital, driven by function 2
    window.FormUpdate();
    EXPECT_FALSE(control<ShapePicture>("pctFDigNsignPslope_2")->isHidden());
    EXPECT_TRUE(control<ShapePicture>("pctFNsignPslope_2")->isHidden());
}

TEST_F(Frm5Test, RoutingAFunctionToADigitalOutputKeepsItsSignAndSlope) {
    ram(189) = 64;           // Out 1 digital
    ram(163 + 5 * 1) = 128;  // negative sign, negative slope
    window.FormUpdate();
    EXPECT_FALSE(control<ShapePicture>("pctFNsignNslope_1")->isHidden());
    window.cbxFout1[1]->click();
    EXPECT_FALSE(control<ShapePicture>("pctFDigNsignNslope_1")->isHidden());
    EXPECT_EQ(ram(189), 64 + 2);
    EXPECT_EQ(int(ram(163 + 5 * 1)) & 128, 128);
    EXPECT_EQ(int(ram(165 + 5 * 1)) & 128, 0);
}

TEST_F(Frm5Test, ClickingTheShapeCyclesAndStoresTheBits) {
    window.FormUpdate();
    // Sign and slope bits clear: positive sign, negative slope.
    ASSERT_FALSE(control<ShapePicture>("pctFPsignNslope_0")->isHidden());
    auto visible = [&] {
        for (const char* name : kShapePictureNames) {
            auto* picture = window.findChild<ShapePicture*>(QStringLiteral("%1_0").arg(name));
            if (!picture->isHidden()) return picture;
        }
        return static_cast<ShapePicture*>(nullptr);
    };
    QTest::mouseClick(visible(), Qt::LeftButton);
    EXPECT_EQ(visible()->objectName(), "pctFPsignPslope_0");
    EXPECT_EQ(int(ram(165)) & 128, 128);
    EXPECT_EQ(int(ram(163)) & 128, 0);
    for (int click = 0; click < 3; ++click) QTest::mouseClick(visible(), Qt::LeftButton);
    EXPECT_EQ(visible()->objectName(), "pctFPsignNslope_0");
    EXPECT_EQ(int(ram(165)) & 128, 0);
}

TEST_F(Frm5Test, TheTriggerSignPicturesFlipTheLevelText) {
    window.FormUpdate();
    window.txbDigTlevel->setText("-50");
    window.pctDigTPsign->setVisible(false);
    window.pctDigTNsign->setVisible(true);
    QTest::mouseClick(window.pctDigTNsign, Qt::LeftButton);
    EXPECT_EQ(window.txbDigTlevel->text(), "50");
    EXPECT_FALSE(window.pctDigTPsign->isHidden());
    EXPECT_TRUE(window.pctDigTNsign->isHidden());
    QTest::mouseClick(window.pctDigTPsign, Qt::LeftButton);
    EXPECT_EQ(window.txbDigTlevel->text(), "-50");
    EXPECT_EQ(ram(188), 0);  // the image takes the sign only when the window is read
}

// Every RAM byte the window maps: display mode, shift, output ranges, functions, outputs,
// trigger, the unit bytes, the shift channel and the network ID.
std::vector<int> mappedAddresses() {
    std::vector<int> addresses = {31, 32, 57};
    for (int a = 162; a <= 196; ++a) addresses.push_back(a);
    for (int a = 205; a <= 208; ++a) addresses.push_back(a);
    return addresses;
}

// What a user might do to the window before leaving it, a quarter of the controls at a time.
void editAtRandom(frm5& w, std::mt19937& random) {
    auto sometimes = [&] { return random() % 4 == 0; };
    auto any = [&](int n) { return int(random() % unsigned(n)); };
    std::vector<QLineEdit*> texts = {w.txbID, w.txbShiftBamount, w.txbDigTtime, w.txbDigTlevel};
    for (int j = 0; j < frm5::kOutputs; ++j) {
        texts.insert(texts.end(), {w.txbOutBaseLine[j], w.txbOutIntTime[j]});
        const std::array options = {w.optOut5V[j], w.optOut5mA[j], w.optOut5Digital[j]};
        if (sometimes()) options[any(3)]->setChecked(true);
        if (sometimes()) w.cbxDigTout[j]->toggle();
    }
    for (int i = 0; i < frm5::kFunctions; ++i) {
        texts.insert(texts.end(), {w.txbFa[i], w.txbFb[i]});
        if (sometimes()) w.lblFchannel[i]->setText(w.mCHannel[any(frm5::kChannels)]->text());
        if (sometimes()) w.cbxFout1[i]->toggle();
        if (sometimes()) w.cbxFout2[i]->toggle();
        if (sometimes()) w.FunkTypeUpdate(float(i), true, true, true);
    }
    for (QLineEdit* field : texts) {
        if (sometimes()) field->setText(QString::number((any(40001) - 20000) / 4.0));
    }
    if (sometimes()) w.lblDisplayMode->setText(w.mDisplayMode[any(frm5::kDisplayModes)]->text());
    if (sometimes()) w.lblShiftb->setText(w.mCHannel[any(frm5::kChannels)]->text());
    if (sometimes()) w.lblDigTunit->setText((any(2) ? w.mTimeUnitMin : w.mTimeUnitSec)->text());
}

// Opening and leaving the window (FormUpdate, FormRead) leaves every byte that holds a value
// its field allows as it was, even where the text shown is rounded (a trigger level of 96/127 shows
// as 75 %, which typed would store 95). After edits, leaving again stores what leaving once did,
// and the bits no control owns stay as they were.
TEST_F(Frm5Test, LookingNeverChangesTheSensorAndLeavingTwiceStoresWhatLeavingOnceDid) {
    std::mt19937 random(5);
    for (int round = 0; round < 60; ++round) {
        for (int a : mappedAddresses()) ram(a) = float(random() % 256);
        auto image = t.ctx.RamImage;
        window.FormUpdateInit();
        window.FormUpdate();
        window.FormRead();
        // A network ID beyond 29 is no value the field allows: it is brought into range.
        image[208] = std::min(image[208], 29.0f);
        ASSERT_EQ(changes(image, t.ctx.RamImage), "") << "round " << round;

        editAtRandom(window, random);
        window.FormRead();
        window.FormUpdate();
        const auto once = t.ctx.RamImage;
        window.FormRead();
        window.FormUpdate();
        ASSERT_EQ(changes(once, t.ctx.RamImage), "") << "round " << round;
        for (auto [address, unowned] :
             {std::pair{57, ~6}, {189, 128}, {193, 128}, {205, 255}, {206, 255}}) {
            EXPECT_EQ(int(ram(address)) & unowned, int(image[address]) & unowned)
                << "round " << round << " address " << address;
        }
    }
}

TEST_F(Frm5Test, AnEditedFieldIsStoredThroughItsCodecBesideTheBitsItDoesNotOwn) {
    ram(187) = 128 + 5;  // 1.25 Min
    ram(188) = 96;       // shown as 75 %
    window.FormUpdate();
    ASSERT_EQ(window.txbDigTlevel->text(), "75");
    type(window.txbDigTtime, "2");
    EXPECT_EQ(ram(187), 128 + 8);  // the quarters typed, the unit kept
    EXPECT_EQ(ram(188), 96);
    type(window.txbDigTlevel, "-75");
    EXPECT_EQ(ram(188), 128 + 95);
    type(window.txbOutIntTime[0], "1000");  // held at a power of two
    EXPECT_EQ(ram(192), 8);
    EXPECT_EQ(window.txbOutIntTime[0]->text(), "512");
}

TEST_F(Frm5Test, ANonsenseImageRoundTripsIntoWholeBytes) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> anyValue(-300, 600);
    for (int round = 0; round < 20; ++round) {
        for (int a = 0; a < 256; ++a) {
            if (a != 65) ram(a) = round % 2 ? anyValue(random) : float(random() % 256);
        }
        window.FormUpdateInit();
        window.FormUpdate();
        window.FormRead();
        // The bytes the window always writes (a pick-list byte without a match is kept).
        std::vector<int> written = {32, 57, 187, 188, 189, 190, 191, 192, 193, 194, 195, 196, 208};
        for (int a = 162; a < 187; ++a)
            if ((a - 162) % 5 != 0) written.push_back(a);
        for (int a : written) {
            const float v = ram(a);
            EXPECT_TRUE(v >= 0 && v <= 255 && v == std::floor(v)) << a << " holds " << v;
        }
    }
}

TEST_F(Frm5Test, PickListsWriteTheirChoiceIntoTheImage) {
    window.FormUpdateInit();
    window.FormUpdate();
    pick(window.lblShiftb, window.mChannels, window.mCHannel[1]);
    EXPECT_EQ(window.lblShiftb->text(), window.mCHannel[1]->text());
    EXPECT_EQ(int(ram(207)) & 15, 1);
    EXPECT_EQ(int(ram(207)) >> 4, t.ctx.Definition.unitCode[1]);

    pick(window.pctChannels->lblCH_Type[0], window.mTempUnit, window.mTempUnitFarenheit);
    EXPECT_EQ(ram(205), 32);
    pick(window.pctChannels->lblCH_Type[0], window.mTempUnit, window.mTempUnitCelsius);
    EXPECT_EQ(ram(205), 16);

    pick(window.lblDisplayMode, window.mDisplayModes, window.mDisplayMode[3]);
    EXPECT_EQ(window.lblDisplayMode->text(), "TEMP + CO2");
    window.FormRead();
    EXPECT_EQ(ram(31), 3);

    pick(window.lblFchannel[4], window.mChannels, window.mCHannel[2]);
    EXPECT_EQ(ram(162 + 5 * 4), 2);
}

// Start-up gives up on a sensor the window cannot show, with the model's own reason when
// it gave one.
TEST_F(Frm5Test, ASensorTheWindowCannotShowIsReportedCorrupt) {
    const struct {
        const char* name;
        int idByte;
        std::function<bool(Context&)> loader;
        bool shown;
        std::string message;
    } cases[] = {
        {"definition found", 231, LoadDefinition, true, ""},
        {"definition missing, no reason", 231, [](Context&) { return false; }, false,
         "Sensor is corrupt"},
        {"definition missing, with its reason", 231,
         [](Context& ctx) { return failWith(ctx, "No DEF231.PDT"); }, false, "No DEF231.PDT"},
        {"a platform-6 image", 222, LoadDefinition, false, "Sensor is corrupt"},
    };
    for (const auto& c : cases) {
        t.ctx.ErrorText.clear();
        t.ctx.Definition.loadedIdByte = 0;
        t.ctx.loadDefinition = c.loader;
        ram(65) = float(c.idByte);
        EXPECT_EQ(window.FormUpdateInit(), c.shown) << c.name;
        EXPECT_EQ(t.ctx.ErrorText, c.message) << c.name;
    }
}

// The shift step has five bits beside the channel's three: amounts beyond either end are
// held at the end instead of wrapping into the channel bits.
TEST_F(Frm5Test, AShiftAmountBeyondEitherEndIsHeldAtThatEnd) {
    window.FormUpdateInit();
    ram(207) = 16 * t.ctx.Definition.unitCode[1] + 1;
    const struct {
        const char* typed;
        int step;
    } cases[] = {{"-99999", 0}, {"-3751", 0}, {"0", 15}, {"99999", 31}};
    for (const auto& c : cases) {
        ram(32) = 32 * 1 + 15;
        window.FormUpdate();
        type(window.txbShiftBamount, c.typed);
        EXPECT_EQ(int(ram(32)), 32 * 1 + c.step) << c.typed;
        EXPECT_EQ(window.txbShiftBamount->text().toStdString(),
                  FormatChannelValue(t.ctx, float(c.step * 250 - 3750), 1, true, false))
            << c.typed;
    }
}

TEST_F(Frm5Test, TheTemperatureUnitIsAPickListOnlyWhileShownEditable) {
    window.FormUpdateInit();
    window.FormUpdate();
    QLabel* unit = window.pctChannels->lblCH_Type[0];
    styleDisplayLabel(unit, Qt::white);
    pick(unit, window.mTempUnit, window.mTempUnitFarenheit);
    QCoreApplication::processEvents();
    EXPECT_EQ(ram(205), 0);
    styleDisplayLabel(unit, QColor(255, 255, 0));
    pick(unit, window.mTempUnit, window.mTempUnitFarenheit);
    EXPECT_EQ(ram(205), 32);
}

// Where a control sits in the window.
QPoint placeOf(const QWidget* w) {
    return w->mapTo(w->window(), QPoint(0, 0));
}

TEST_F(Frm5Test, TheLayoutHoldsStillAndShowsWholeValues) {
    ram(192) = 255;  // an integration time of 2^256 s
    window.FormUpdateInit();
    window.FormUpdate();
    window.show();
    QCoreApplication::processEvents();
    const QPoint level = placeOf(window.txbDigTlevel);
    const QPoint time = placeOf(window.txbDigTtime);
    QTest::mouseClick(window.pctDigTPsign, Qt::LeftButton);
    QCoreApplication::processEvents();
    ASSERT_FALSE(window.pctDigTNsign->isHidden());
    EXPECT_EQ(placeOf(window.txbDigTlevel), level);
    EXPECT_EQ(placeOf(window.txbDigTtime), time);

    // The general panel's values start at one x.
    EXPECT_EQ(placeOf(window.txbID).x(), placeOf(window.lblDisplayMode).x());
    EXPECT_EQ(placeOf(window.txbID).x(), placeOf(window.lblShiftb).x());

    QLineEdit* intTime = window.txbOutIntTime[0];
    EXPECT_GT(intTime->text().size(), 10);
    EXPECT_GE(intTime->width(), intTime->fontMetrics().horizontalAdvance(intTime->text()));
}

// Simulated mode, both base lines at 0 %.
class Frm5SimulationTest : public Frm5Test {
protected:
    Frm5SimulationTest() {
        ram(190) = 128;
        ram(194) = 128;
        window.FormUpdateInit();
        window.FormUpdate();
        window.SimMode(true);
        window.show();
    }

    // Function 0 on the CO2 channel, 400..2000, positive sign and slope, driving Out 1.
    void co2Function() {
        window.lblFchannel[0]->setText(window.pctChannels->lblCH_Name[1]->text());
        window.txbFa[0]->setText("400");
        window.txbFb[0]->setText("2000");
        window.cbxFout1[0]->setChecked(true);
        window.FunkTypeUpdate(0, false, true, true);
    }
    QString out(int j, const char* co2 = nullptr) {
        if (co2) window.pctChannels->txbCHact[1]->setText(co2);
        window.Simulate();
        return window.txbOutOut[j]->text();
    }
};

TEST_F(Frm5SimulationTest, AFunctionScalesItsChannelIntoTheOutputAndWithoutASpanAddsNothing) {
    ASSERT_FALSE(window.pctChannels->lblCH_Name[1]->text().isEmpty());
    co2Function();
    EXPECT_EQ(out(0, "1200"), "50");
    EXPECT_EQ(out(1), "0");
    // Outside A..B the value is held at the nearer end.
    EXPECT_EQ(out(0, "5000"), "100");
    EXPECT_EQ(out(0, "10"), "0");
    // A function without a span adds nothing to the base line.
    window.txbFb[0]->setText("400");
    window.txbOutBaseLine[0]->setText("30");
    EXPECT_EQ(out(0, "400"), "30");
}

TEST_F(Frm5SimulationTest, ADigitalOutputKeepsItsStateBetweenTheEnds) {
    co2Function();
    window.optOut5Digital[0]->setChecked(true);
    window.pctChannels->txbCHact[1]->setText("1360");  // 60 %
    window.txbOutOut[0]->setText("100");
    EXPECT_EQ(out(0), "100");
    window.txbOutOut[0]->setText("0");
    EXPECT_EQ(out(0), "0");
    EXPECT_EQ(out(0, "2000"), "100");
}

TEST_F(Frm5SimulationTest, AnEditRecomputesTheOutputsAndANegativeTriggerPullsOneDown) {
    window.txbOutBaseLine[0]->setText("50");
    window.FormRead();
    window.FormUpdate();
    EXPECT_EQ(window.txbOutOut[0]->text(), "50");
    window.txbDigTlevel->setText("-30");
    window.txbDigTtime->setText("2");
    window.lblDigTunit->setText("Sec");
    window.cbxDigTout[0]->setChecked(true);
    EXPECT_EQ(out(0), "50");

    window.btnDigTrig->click();
    ASSERT_TRUE(window.triggerTestRunning());
    t.clock.advance(500);
    window.activationPass();
    EXPECT_EQ(window.txbOutOut[0]->text(), "20");
    t.clock.advance(2000);
    window.activationPass();
    EXPECT_FALSE(window.triggerTestRunning());
    EXPECT_EQ(window.txbOutOut[0]->text(), "50");
}

// What a picture shows a function adding to its output at A (left) and at B (right), in
// percent of the drawing's height above its zero line.
std::pair<double, double> drawnLevels(const ShapePicture* picture) {
    const QPolygonF line = picture->shapeLine();
    const double zero = picture->zeroLineY();
    const double height = picture->height() - 8.0;  // the drawing's margins
    return {(zero - line.first().y()) / height * 100, (zero - line.last().y()) / height * 100};
}

// A technician reads what the output will do off the picture: for every shape the levels
// it draws at A and at B are those the simulation adds to the output there. A negative
// sign pulls the output down from a base line of 100 %.
TEST_F(Frm5SimulationTest, EveryPictureDrawsWhatTheSimulatedOutputDoes) {
    co2Function();
    for (int shape = 4; shape <= 7; ++shape) {
        const bool positiveSign = shapeSignBit(shape) == 0;
        window.FunkTypeUpdate(0, false, positiveSign, shapeSlopeBit(shape) == 1);
        const QString name = QStringLiteral("%1_0").arg(kShapePictureNames[shape]);
        const auto* picture = window.findChild<ShapePicture*>(name);
        ASSERT_FALSE(picture->isHidden()) << name.toStdString();
        const double base = positiveSign ? 0 : 100;
        window.txbOutBaseLine[0]->setText(QString::number(base));
        const double atA = out(0, "10").toDouble() - base;    // below A
        const double atB = out(0, "5000").toDouble() - base;  // beyond B
        EXPECT_EQ(drawnLevels(picture), std::pair(atA, atB)) << name.toStdString();
        // The digital picture of the same sign and slope steps between the same levels.
        const int digital =
            functionShapeFor(FunctionKind::Digital, positiveSign, shapeSlopeBit(shape) == 1);
        const auto* step = window.findChild<ShapePicture*>(
            QStringLiteral("%1_0").arg(kShapePictureNames[digital]));
        EXPECT_EQ(drawnLevels(step), std::pair(atA, atB)) << kShapePictureNames[digital];
    }
    // The trigger's negative sign is drawn pulling down, as a negative level does.
    EXPECT_LT(drawnLevels(window.pctDigTNsign).second, 0);
    EXPECT_GT(drawnLevels(window.pctDigTPsign).second, 0);
}

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
    // The sensor's own output levels, as polled into the image, shown through their codec.
    const auto& ram = rig.ctx().RamImage;
    for (int j = 0; j < frm5::kOutputs; ++j) {
        const int at = 197 + 2 * j;
        EXPECT_EQ(ram[at], rig.sensor.memory().ram[at]);
        EXPECT_EQ(window.txbOutOut[j]->text().toStdString(),
                  p5::outputLevelText(static_cast<uint16_t>(ram[at] * 256 + ram[at + 1])));
    }
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

TEST_F(Frm5SensorTest, AReadFillsTheWindowAndLeavesSimulatedModeAndASendStoresTheEditedId) {
    rig.sensor.memory().ram[208] = 17;
    window.SimMode(true);
    run(1);
    EXPECT_TRUE(rig.t.prompter.messages().empty());
    EXPECT_FALSE(window.cbxSimulated->isChecked());
    EXPECT_EQ(rig.ctx().RamImage[65], 231);
    EXPECT_EQ(window.txbID->text(), "17");
    EXPECT_TRUE(host.progress.contains("Reading from sensor"));
    // Sent as the field holds it, without Enter.
    window.txbID->setText("12");
    run(2);
    EXPECT_TRUE(rig.t.prompter.messages().empty());
    EXPECT_EQ(rig.sensor.memory().ram[208], 12);
}

// A read of a sensor that does not answer says why and leaves the window simulated; a save
// there still reads the sensor first, and says why too.
TEST_F(Frm5SensorTest, AReadOrSaveOfASilentSensorSaysWhyAndStaysSimulated) {
    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("out.Set").toStdString();
    rig.sensor.silentFor(1'000'000);
    run(1);
    ASSERT_EQ(rig.t.prompter.messages().size(), 1u);
    EXPECT_TRUE(window.cbxSimulated->isChecked());
    rig.t.prompter.fileAnswers.push_back(path);
    run(4);
    EXPECT_EQ(rig.t.prompter.messages().size(), 2u);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

TEST(SensorWindows, StartUpGetsFourWindowsWithTheSharedMembers) {
    TestContext t;
    FakeWindowHost host;
    auto windows = createSensorWindows(t.ctx, host);
    ASSERT_EQ(windows.size(), 4u);
    for (const auto& [kind, windowName] : kWindowNames) {
        SCOPED_TRACE(windowName);
        SensorWindow* w = windows.at(kind).get();
        EXPECT_EQ(w->objectName(), windowName);
        EXPECT_FALSE(w->isVisible());
        for (const char* name : {"cbxSimulated", "btnReadFromSensor", "btnSendToSensor", "txbSN"})
            EXPECT_NE(w->findChild<QWidget*>(name), nullptr) << name;
        for (const char* name : {"mReadfromsensor", "mSendtosensor", "mComSet"})
            EXPECT_NE(w->findChild<QAction*>(name), nullptr) << name;
        // No sensor answers this context: the mappings run through, and a platform-5
        // window reports the read it could not make.
        t.ctx.ErrorText.clear();
        w->FormUpdateInit();
        w->FormUpdate();
    }
}

TEST(Frm5Lifetime, AWindowDestroyedWhileAFieldIsBeingEditedCommitsNothing) {
    TestContext t;
    FakeWindowHost host;
    auto* window = new frm5(t.ctx, host);
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    QTest::mouseClick(window->txbDigTtime, Qt::LeftButton);
    window->txbDigTtime->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->txbDigTtime->hasFocus(); }, 1000));
    t.ctx.RamImage[187] = 5;
    window->txbDigTtime->setText("9");
    delete window;
    EXPECT_EQ(t.ctx.RamImage[187], 5);
}

}  // namespace
}  // namespace kelvo::test
