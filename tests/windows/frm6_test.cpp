// The platform-6 window on virtual sensors of every version: its panel sets, what each
// settings field stores and shows back, the VAV test positions, and the simulation: the four
// outputs worked out from the settings on screen and the channel values typed in, the
// digital output and the trigger test.
#include "windows/platform6/frm6.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <random>

#include "common/values.h"
#include "link/address_lists.h"
#include "settings/platform6_codecs.h"
#include "windows/channel_panel.h"
#include "windows/platform5/shape_picture.h"
#include "windows/window_input.h"
#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

struct Frm6OnSensor : WindowOnSensor {
    explicit Frm6OnSensor(int version) : WindowOnSensor(6, version) {
        f = static_cast<frm6*>(window);
    }
    template <typename W = QWidget>
    W* control(const QString& name) {
        W* w = f->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    void type(const char* name, const QString& text) { test::type(control<QLineEdit>(name), text); }
    int ee(int address) { return int(ctx().EeImage[address]); }
    int sensorEe(int address) { return rig.sensor.memory().eeprom[address]; }
    bool shown(const char* name) { return control(name)->isVisibleTo(f); }
    QString text(const char* name) { return control<QLineEdit>(name)->text(); }
    int shapeOf(int i) {
        for (int k = 0; k < kFunctionShapes; ++k)
            if (!f->functionShape[i][k]->isHidden()) return k;
        return -1;
    }
    // What the technician reads: every settings field and pick list on the panels shown.
    std::map<QString, QString> settingsShown() {
        std::map<QString, QString> texts;
        for (QLineEdit* e : f->findChildren<QLineEdit*>())
            if (e->isVisibleTo(f) && !e->isReadOnly()) texts[e->objectName()] = e->text();
        for (QLabel* l : f->findChildren<QLabel*>())
            if (l->isVisibleTo(f) && !l->objectName().isEmpty()) texts[l->objectName()] = l->text();
        return texts;
    }
    frm6* f = nullptr;
};

struct PanelSet {
    int version;
    std::vector<const char*> shownPanels;
    std::vector<const char*> hiddenPanels;
};

TEST(Frm6Window, EachVersionCodeOpensItsPanelSet) {
    const std::vector<const char*> standard = {"pctFunction_0", "pctFunction_5", "pctOut_0",
                                               "pctOut_2",      "pctD",          "pctDT"};
    const std::vector<const char*> applications = {"pctSetpV1", "pctOutV1VAV", "pctOutV1",
                                                   "pctSecCont", "pct6v3Settings"};
    auto with = [](std::vector<const char*> a, std::vector<const char*> b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const PanelSet sets[] = {
        {0, with(standard, {"pctOut_3", "cbxFout4_0"}), applications},
        {1,
         {"pctSetpV1", "pctOutV1VAV", "pctOutV1"},
         with(standard, {"pctOut_3", "pctSecCont", "pct6v3Settings"})},
        {2, standard, with(applications, {"pctOut_3", "cbxFout4_0", "cbxDigout4", "cbxDigTout4"})},
        {3, {"pct6v3Settings"}, with(standard, {"pctSetpV1", "pctSecCont"})},
        {4, {"pctSecCont"}, with(standard, {"pctSetpV1", "pct6v3Settings"})},
        {5, {"pctChannels"}, with(standard, applications)},
    };
    for (const PanelSet& set : sets) {
        Frm6OnSensor w(set.version);
        ASSERT_EQ(w.f->objectName(), "frm6");
        EXPECT_EQ(w.f->versionCode(), set.version);
        for (const char* name : set.shownPanels) EXPECT_TRUE(w.shown(name)) << set.version << name;
        for (const char* name : set.hiddenPanels)
            EXPECT_FALSE(w.shown(name)) << set.version << " " << name;
        EXPECT_TRUE(w.shown("pctChannels"));
        const bool outputs = set.version == 0 || set.version == 2;  // only they say "Simulated"
        EXPECT_EQ(w.f->cbxSimulated->text(), outputs ? "Simulated" : "Off line") << set.version;
        EXPECT_TRUE(w.rig.t.prompter.messages().empty()) << set.version;
        // Read top to bottom on a 1366x768 screen, menu, title and task bar included.
        const QSize size = w.f->minimumSizeHint();
        EXPECT_LE(size.width(), 1366) << set.version;
        EXPECT_LE(size.height(), 690) << set.version;
    }
}

TEST(Frm6Window, StandardFieldsStoreWhatTheSensorWillKeepAndShowItBack) {
    Frm6OnSensor w(0);
    const struct {
        const char* field;
        const char* typed;
        int address;
        int mask;
        int stored;
        const char* shown;
    } cases[] = {
        // The codecs' own tables hold every edge; here, that each field goes through its
        // codec both ways, negative and rounded values included.
        {"txbOutBaseLine_0", "52", 139, 255, 162, "53"},
        {"txbOutBaseLine_0", "-250", 139, 255, 0, "-200"},
        {"txbOutBaseLine_1", "199", 142, 255, 255, "198"},
        {"txbOutIntTime_0", "3", 140, 7, 1, "4"},
        {"txbDigTlevel", "-50", 136, 255, 192, "-50"},
        {"txbDigLevel", "25", 96, 255, 32, "25"},
        {"txbDigTtime", "128", 137, 127, 0, "0"},
        {"txbID", "45", 32, 255, 29, "29"},
    };
    for (const auto& c : cases) {
        w.type(c.field, c.typed);
        w.f->FormRead();
        w.f->FormUpdate();
        EXPECT_EQ(w.ee(c.address) & c.mask, c.stored) << c.field << " " << c.typed;
        EXPECT_EQ(w.text(c.field).toStdString(), c.shown) << c.field << " " << c.typed;
    }
    // What the sensor cannot store is held at the nearest value it can, never wrapped, and
    // the status bar says so.
    w.type("txbFa_0", "999999");
    const QString top = w.text("txbFa_0");
    for (const auto& [field, typed, shown] :
         {std::tuple<const char*, const char*, QString>{"txbFa_0", "70000", top},
          {"txbOutIntTime_0", "12", "16"}}) {
        w.type(field, typed);
        EXPECT_EQ(w.text(field), shown) << field;
        EXPECT_EQ(
            w.f->statusBar()->currentMessage(),
            QStringLiteral("The sensor cannot store %1: held at %2, the nearest value it can.")
                .arg(typed, shown))
            << field;
    }
    EXPECT_NE(top, "4464");
    EXPECT_LT(ParseNumber(top.toStdString()), 70000);
    // 127 minutes: seven bits of time and the minutes bit.
    w.control<QLabel>("lblDigTunit")->setText("Min");
    w.type("txbDigTtime", "127");
    EXPECT_EQ(w.ee(137), 255);
    EXPECT_EQ(w.control<QLabel>("lblDigTunit")->text(), "Min");
    EXPECT_TRUE(w.f->pctDigTNsign->isVisibleTo(w.f));
}

TEST(Frm6Window, RoutingAndDisplayBitsLandInTheirBytes) {
    Frm6OnSensor w(0);
    // A display position that names no channel shows channel 0; its neighbour is kept.
    const int kept = w.ee(50) & 15;
    w.f->lblDisp[1]->setText("no such channel");
    w.f->FormRead();
    EXPECT_EQ(w.ee(50), kept);
    // A function on all four outputs.
    for (int j = 0; j < frm6::kOutputs; ++j) {
        w.f->cbxFout[j][2]->setChecked(true);
        w.f->cbxFout[j][5]->setChecked(true);
    }
    w.f->FormRead();
    for (int j = 0; j < frm6::kOutputs; ++j) {
        EXPECT_TRUE(w.ee(138 + 3 * j) & 4) << j;
        EXPECT_TRUE(w.ee(140 + 3 * j) & 128) << j;
    }
}

TEST(Frm6Window, OnProduct223TheControlsNamedOut1EditTheSecondOutput) {
    Frm6OnSensor w(0);
    w.ctx().RamImage[65] = 223;
    w.f->FormUpdateInit();
    w.f->FormUpdate();
    EXPECT_EQ(w.f->lblOutName[0]->text(), "Out 2");
    EXPECT_EQ(w.f->lblOutName[1]->text(), "Out 1");
    EXPECT_EQ(w.f->cbxFout[1][0]->text(), "Out 1");
    EXPECT_EQ(w.f->cbxDigTout[0]->text(), "Out 2");
    type(w.f->txbOutBaseLine[1], "50");
    EXPECT_EQ(w.ee(142), 160);
    EXPECT_EQ(w.f->lblOutName[2]->text(), "Out 3");
    w.f->centralWidget()->layout()->activate();
    EXPECT_LT(w.f->pctOut[1]->x(), w.f->pctOut[0]->x());  // "Out 1" is read first
}

TEST(Frm6Window, ShapeGroupsFollowTheOutputsDigitalModeAndFourClicksCycleBack) {
    Frm6OnSensor w(0);
    // The factory sensor: function 1 on CO2 drives Out 1 with a rising slope.
    EXPECT_STREQ(kShapePictureNames[w.shapeOf(0)], "pctFPslope");
    QTest::mouseClick(w.f->optOut6Digital[0], Qt::LeftButton);
    EXPECT_STREQ(kShapePictureNames[w.shapeOf(0)], "pctFDigPslope");
    EXPECT_EQ(w.ee(138) & 64, 64);
    QTest::mouseClick(w.f->optOut6Analog[0], Qt::LeftButton);
    EXPECT_STREQ(kShapePictureNames[w.shapeOf(0)], "pctFPslope");

    w.f->cbxFout[0][3]->setChecked(true);
    w.f->FormRead();
    w.f->FormUpdate();
    const int first = w.shapeOf(3);
    EXPECT_GE(first, 4);
    for (int click = 0; click < 4; ++click) {
        QTest::mouseClick(w.f->functionShape[3][w.shapeOf(3)], Qt::LeftButton);
        EXPECT_GE(w.shapeOf(3), 4);
        EXPECT_LE(w.shapeOf(3), 7);
    }
    EXPECT_EQ(w.shapeOf(3), first);
    // On a digital output the same function shows the half-range digital shapes.
    QTest::mouseClick(w.f->optOut6Digital[0], Qt::LeftButton);
    EXPECT_LE(w.shapeOf(3), 3);
    EXPECT_EQ(shapeSignBit(w.shapeOf(3)), shapeSignBit(first));
    EXPECT_EQ(shapeSlopeBit(w.shapeOf(3)), shapeSlopeBit(first));
}

TEST(Frm6Window, TwaResetShowsPleaseWaitAndDoesNothingElse) {
    Frm6OnSensor w(0);
    w.f->mTWAreset->trigger();
    w.f->activationPass();
    EXPECT_TRUE(w.host.progress.contains("Please wait"));
    EXPECT_TRUE(w.rig.sensor.requests().empty());
    EXPECT_TRUE(w.rig.t.prompter.messages().empty());
    w.host.progress.clear();  // the buttons go straight to their action
    w.f->btnSendToSensor->click();
    EXPECT_TRUE(w.host.progress.isEmpty() && w.ctx().PendingAction == kActionSensorWrite);
}

TEST(Frm6Window, SaveUsesTheListOfTheVersionCode) {
    QTemporaryDir dir;
    const struct {
        int version;
        int list;  // 0: the sensor's settings fit no file
    } cases[] = {{0, 13}, {2, 15}, {4, 13}, {5, 0}};
    for (const auto& c : cases) {
        Frm6OnSensor w(c.version);
        w.rig.t.prompter.fileAnswers = {dir.filePath("s.Set").toStdString()};
        w.run(kActionSettingsSave);
        if (c.list == 0) {
            EXPECT_EQ(w.rig.t.prompter.messages(),
                      std::vector<std::string>{"Cant save settings from this sensor"});
            continue;
        }
        EXPECT_TRUE(w.rig.t.prompter.messages().empty()) << c.version;
        auto mask = w.ctx().AddressMask;
        w.ctx().AddressMask.fill(0);
        SelectAddressList(w.ctx(), c.list);
        EXPECT_EQ(mask, w.ctx().AddressMask) << c.version;
    }
}

TEST(Frm6Vav, StepButtonsAndLimitsSendTheOutputsTestPosition) {
    Frm6OnSensor w(1);  // product 222: the VAV output is Out 1
    const int kept141 = w.sensorEe(141);
    w.f->txbUseMax->setText("50");
    const struct {
        QPushButton* button;
        QLineEdit* field;
        const char* shown;
    } presses[] = {{w.f->Command6, w.f->txbUseMax, "51"},
                   {w.f->Command6, w.f->txbUseMax, "53"},
                   {w.f->Command5, w.f->txbUseMax, "51"}};
    for (const auto& p : presses) {
        p.button->click();
        w.f->activationPass();
        EXPECT_EQ(p.field->text(), p.shown);
        EXPECT_EQ(w.sensorEe(138), 0);
        EXPECT_EQ(w.sensorEe(139), p6::baseLineByte(p.field->text().toDouble()));
        EXPECT_EQ(w.sensorEe(140), 0);
        EXPECT_EQ(w.sensorEe(141), kept141);
    }
    EXPECT_TRUE(w.f->linÄndra->isVisibleTo(w.f));
    EXPECT_TRUE(w.f->lblVavTest->isVisibleTo(w.f));
    // A read first puts back what the test replaced: the settings are the sensor's own.
    const auto factory = virtualsensor::FactoryImage(6, 1)->eeprom;
    w.run(kActionSensorRead);
    const auto settings = w.settingsShown();
    EXPECT_EQ(changes(factory, w.rig.sensor.memory().eeprom), "");
    EXPECT_FALSE(w.f->lblVavTest->isVisibleTo(w.f));
    w.f->Command6->click();
    w.f->activationPass();
    // So does leaving the window.
    w.f->close();
    EXPECT_EQ(changes(factory, w.rig.sensor.memory().eeprom), "");
    EXPECT_EQ(w.host.restarts, 1);
    w.f->hide();
    w.f->show();
    w.run(kActionSensorRead);
    EXPECT_EQ(w.settingsShown(), settings);
    w.f->txbUseMin->setText("50");
    w.f->Command2->click();
    w.f->activationPass();
    EXPECT_EQ(w.f->txbUseMin->text(), "48");
    type(w.f->txbUseMax, "150");
    EXPECT_EQ(w.f->txbUseMax->text(), "100");
    w.f->activationPass();
    EXPECT_EQ(w.sensorEe(139), 192);
    EXPECT_TRUE(w.rig.t.prompter.messages().empty());

    // A send ends the test: the VAV layout goes back, with the range 100/48 on screen.
    w.run(kActionSensorWrite);
    EXPECT_FALSE(w.f->linÄndra->isVisibleTo(w.f));
    EXPECT_EQ(w.sensorEe(140) & 128, 128);
    EXPECT_EQ(w.sensorEe(139), 128);
    EXPECT_EQ(w.sensorEe(124) & 128, 128);
}

// Read, edit, send, read back: the window shows what it showed after the edit.
TEST(Frm6Window, ShowsTheSameValuesAfterReadingBack) {
    const struct {
        int version;
        const char* field;
        const char* typed;
    } edits[] = {{0, "txbOutBaseLine_2", "52"}, {0, "txbFb_0", "1500"},
                 {1, "txbSetPV1CO2", "900"},    {1, "txbOutV1IntTimeVAV", "16"},
                 {2, "txbDigTlevel", "-30"},    {3, "txb6v3G1", "40"},
                 {4, "txbV4MinVent", "30"},     {4, "txbV4PrangeVentCO2", "300"}};
    for (const auto& e : edits) {
        SCOPED_TRACE(e.field);
        Frm6OnSensor w(e.version);
        w.type(e.field, e.typed);
        const auto edited = w.settingsShown();
        w.run(kActionSensorWrite);
        ASSERT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
        w.run(kActionSensorRead);
        ASSERT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
        EXPECT_EQ(w.settingsShown(), edited);
        EXPECT_NE(w.rig.sensor.memory().eeprom, virtualsensor::FactoryImage(6, e.version)->eeprom);
    }
}

TEST(Frm6SixV3, PairsAgreeAfterEveryEditAndCZeroIsRefused) {
    Frm6OnSensor w(3);
    const std::pair<const char*, const char*> edits[] = {{"txb6v3A2", "400"},
                                                         {"txb6v3D1", "300"},
                                                         {"txb6v3G2", "40"},
                                                         {"txb6v3B", "900"}};
    for (const auto& [field, typed] : edits) {
        w.type(field, typed);
        EXPECT_EQ(w.text("txb6v3A1"), w.text("txb6v3A2")) << field;
        EXPECT_EQ(w.text("txb6v3D1"), w.text("txb6v3D2")) << field;
        EXPECT_EQ(w.text("txb6v3G1"), w.text("txb6v3G2")) << field;
    }
    EXPECT_EQ(w.text("txb6v3A1"), "400");
    const QString c = w.text("txb6v3C");
    const auto image = w.ctx().EeImage;
    w.type("txb6v3C", "0");
    EXPECT_EQ(w.text("txb6v3C"), c);
    EXPECT_EQ(w.ctx().EeImage, image);
    EXPECT_TRUE(w.f->statusBar()->currentMessage().contains("C cannot be 0"));
}

// From the factory image and random ones, generated edits of the 6v3 settings: an edit
// changes its own setting (and its mirror) only, and a read after the send shows what the
// panel showed; one the sensor cannot keep is refused and changes nothing.
TEST(Frm6SixV3, WhatAnEditShowsIsWhatTheSensorKeeps) {
    const char* const names[] = {"A1", "B", "C", "D1", "E", "F", "G1", "I", "K"};
    const std::map<QString, QString> mirrors{{"A1", "A2"}, {"D1", "D2"}, {"G1", "G2"}};
    std::mt19937 random(1100);
    int kept = 0;
    for (int round = 0; round < 12; ++round) {
        Frm6OnSensor w(3);
        // The function limits (107..136, channels kept) of every image but the first.
        for (int a = 107; round > 0 && a <= 136; ++a)
            if ((a - 106) % 5 || a == 136) w.rig.sensor.memory().eeprom[a] = uint8_t(random());
        if (round > 0) w.run(kActionSensorRead);
        for (int edit = 0; edit < 3; ++edit) {
            const QString name = names[random() % 9];
            const QString field = "txb6v3" + name;
            auto expected = w.settingsShown();
            const auto image = w.ctx().EeImage;
            const QString typed =
                QString::number(expected[field].toInt() + int(random() % 601) - 300);
            w.type(field.toLatin1(), typed);
            if (w.text(field.toLatin1()) != typed) {  // refused, and the status bar says why
                EXPECT_FALSE(w.f->statusBar()->currentMessage().isEmpty());
                EXPECT_EQ(w.settingsShown(), expected) << field.toStdString();
                EXPECT_EQ(changes(image, w.ctx().EeImage), "");
                continue;
            }
            expected[field] = typed;
            if (mirrors.count(name)) expected["txb6v3" + mirrors.at(name)] = typed;
            // Only settings the functions could not hold before may move, and it is said.
            if (w.f->statusBar()->currentMessage().startsWith("Kept;"))
                expected = w.settingsShown();
            ASSERT_EQ(w.settingsShown(), expected) << round << field.toStdString();
            w.run(kActionSensorWrite);
            w.run(kActionSensorRead);
            ASSERT_EQ(w.settingsShown(), expected) << round << field.toStdString();
            ++kept;
        }
    }
    // The factory jumper setup and random function limits refuse many edits; enough must
    // still be kept for the round trip to mean something.
    EXPECT_GT(kept, 8);
}

// The factory platform-6 sensor in simulated mode: function 1 on CO2 (A 400, B 1200,
// rising over the whole range) drives Out 1.
struct Simulated : Frm6OnSensor {
    Simulated() : Frm6OnSensor(0) {
        f->SimMode(true);
        for (int k = 0; k < frm6::kChannelRows; ++k)
            if (f->pctChannels->lblCH_Name[k]->text() == "CO2") co2 = f->pctChannels->txbCHact[k];
    }
    QString out1(const char* co2Value, const char* baseLine = "0") {
        co2->setText(co2Value);
        f->txbOutBaseLine[0]->setText(baseLine);
        f->Simulate();
        return f->txbOutOut[0]->text();
    }
    QLineEdit* co2 = nullptr;
};

TEST(Frm6Simulation, OutputsFollowFunctionsTheirLimitsBaseLineAndInvert) {
    Simulated s;
    ASSERT_NE(s.co2, nullptr);
    ASSERT_STREQ(kShapePictureNames[8], "pctFPslope");
    ASSERT_FALSE(s.f->functionShape[0][8]->isHidden());
    const struct {
        const char* co2;
        const char* baseLine;
        bool invert;
        const char* out;
    } cases[] = {{"800", "0", false, "0"},     // halfway adds nothing
                 {"1200", "0", false, "100"},  // at B: +100
                 {"300", "100", false, "0"},   // below A: -100
                 {"800", "50", false, "50"},  {"1000", "0", false, "50"},
                 {"400", "-50", false, "0"},   // below 0 the output rests at 0
                 {"400", "-50", true, "100"},  // -150 held at -100, inverted
                 {"800", "-50", true, "50"}};
    for (const auto& c : cases) {
        s.f->cbxOut6Invert[0]->setChecked(c.invert);
        EXPECT_EQ(s.out1(c.co2, c.baseLine), c.out) << c.co2 << " " << c.baseLine << c.invert;
    }
    // A function with equal limits switches, and the simulation keeps running.
    s.f->cbxOut6Invert[0]->setChecked(false);
    s.f->txbFa[0]->setText("800");
    s.f->txbFb[0]->setText("800");
    EXPECT_EQ(s.out1("700"), "0");
    EXPECT_EQ(s.out1("800"), "100");
    s.f->SimMode(true);
    s.f->activationPass();
    EXPECT_EQ(s.f->txbOutOut[0]->text(), "100");
    EXPECT_TRUE(s.rig.t.prompter.messages().empty());
    // Without functions, base line -50 gives 0, or 50 inverted.
    s.f->cbxFout[0][0]->setChecked(false);
    EXPECT_EQ(s.out1("2000", "-50"), "0");
    s.f->cbxOut6Invert[0]->setChecked(true);
    EXPECT_EQ(s.out1("2000", "-50"), "50");
}

TEST(Frm6Simulation, ADigitalOutputHoldsUntilTheSumReachesAnEnd) {
    Simulated s;
    s.f->cbxFout[0][0]->setChecked(false);
    s.f->optOut6Digital[0]->setChecked(true);
    s.f->txbOutOut[0]->setText("0");
    const struct {
        const char* baseLine;
        const char* out;
    } steps[] = {{"40", "0"}, {"99", "0"}, {"100", "100"}, {"40", "100"}, {"0", "0"}};
    for (const auto& step : steps)
        EXPECT_EQ(s.out1("800", step.baseLine), step.out) << step.baseLine;
}

TEST(Frm6Simulation, TheDigitalOutputAddsOnlyWhileActive) {
    Simulated s;
    s.f->cbxFout[0][0]->setChecked(false);
    s.f->cbxDigout[0]->setChecked(true);
    s.f->txbDigLevel->setText("50");
    EXPECT_TRUE(s.f->cbxDigActive->isVisibleTo(s.f));
    s.f->cbxDigActive->setChecked(false);
    EXPECT_EQ(s.out1("800"), "0");
    s.f->cbxDigActive->setChecked(true);
    EXPECT_EQ(s.out1("800"), "50");
    // A flipped sign reaches the output on the loop's next pass, without another edit.
    QTest::mouseClick(s.f->pctDigPSign, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(s.f->txbOutOut[0]->text(), "0");
}

TEST(Frm6Simulation, ATriggerTestOfFiveMinutesRunsThreeHundredSeconds) {
    Simulated s;
    s.f->cbxFout[0][0]->setChecked(false);
    s.f->cbxDigTout[0]->setChecked(true);
    s.f->txbDigTlevel->setText("70");
    s.f->txbDigTtime->setText("0");
    s.f->btnDigTrig->click();
    EXPECT_FALSE(s.f->triggerTestRunning());  // time 0: nothing to run
    s.f->txbDigTtime->setText("5");
    s.f->lblDigTunit->setText("Min");
    s.f->btnDigTrig->click();
    ASSERT_TRUE(s.f->triggerTestRunning());
    s.rig.t.clock.advance(299'000);
    s.f->activationPass();
    EXPECT_TRUE(s.f->triggerTestRunning());
    EXPECT_EQ(s.f->txbOutOut[0]->text(), "70");
    s.rig.t.clock.advance(2'000);
    s.f->activationPass();
    EXPECT_FALSE(s.f->triggerTestRunning());
    EXPECT_EQ(s.f->txbOutOut[0]->text(), "0");
}

}  // namespace
}  // namespace kelvo::test
