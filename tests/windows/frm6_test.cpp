// The platform-6 window on virtual sensors of every version: its panel sets, what each
// settings field stores and shows back, the VAV test positions, and the simulation.
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
        {"txbOutBaseLine_0", "50", 139, 255, 160, "50"},
        {"txbOutBaseLine_0", "52", 139, 255, 162, "53"},
        {"txbOutBaseLine_0", "49", 139, 255, 160, "50"},
        {"txbOutBaseLine_0", "0", 139, 255, 128, "0"},
        {"txbOutBaseLine_0", "-200", 139, 255, 0, "-200"},
        {"txbOutBaseLine_0", "198", 139, 255, 255, "198"},
        {"txbOutBaseLine_0", "-250", 139, 255, 0, "-200"},
        {"txbOutBaseLine_1", "199", 142, 255, 255, "198"},
        {"txbOutIntTime_0", "2", 140, 7, 0, "2"},
        {"txbOutIntTime_0", "8", 140, 7, 2, "8"},
        {"txbOutIntTime_0", "256", 140, 7, 7, "256"},
        {"txbOutIntTime_0", "1", 140, 7, 0, "2"},
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

struct RoundTrip {
    int version;
    const char* field;
    const char* typed;
};

class Frm6RoundTrip : public ::testing::TestWithParam<RoundTrip> {};

// Read, edit, send, read back: the window shows what it showed after the edit.
TEST_P(Frm6RoundTrip, ShowsTheSameValuesAfterReadingBack) {
    Frm6OnSensor w(GetParam().version);
    w.type(GetParam().field, GetParam().typed);
    const auto edited = w.settingsShown();
    w.run(kActionSensorWrite);
    ASSERT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
    w.run(kActionSensorRead);
    ASSERT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
    EXPECT_EQ(w.settingsShown(), edited);
    EXPECT_NE(w.rig.sensor.memory().eeprom,
              virtualsensor::FactoryImage(6, GetParam().version)->eeprom);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, Frm6RoundTrip,
    ::testing::Values(RoundTrip{0, "txbOutBaseLine_2", "52"}, RoundTrip{0, "txbFb_0", "1500"},
                      RoundTrip{1, "txbSetPV1CO2", "800"}, RoundTrip{1, "txbOutV1IntTimeVAV", "0"},
                      RoundTrip{2, "txbDigTlevel", "-30"}, RoundTrip{3, "txb6v3C", "2000"},
                      RoundTrip{4, "txbV4MinVent", "30"},
                      RoundTrip{4, "txbV4PrangeVentCO2", "300"}),
    [](const auto& info) {
        return "Version" + std::to_string(info.param.version) + "_" + std::to_string(info.index);
    });

// Opening the window and leaving it, or sending without edits, writes back exactly what
// was read, whatever the settings bytes hold.
TEST(Frm6Safety, OpenAndLeaveKeepsRandomSettingsBytes) {
    std::mt19937 random(1366768);
    std::vector<int> settings{32, 50, 51, 96};
    for (int a = 0; a < 32; ++a) settings.push_back(a);
    for (int a = 106; a < 150; ++a) settings.push_back(a);
    for (int version = 0; version <= 5; ++version) {
        for (int round = 0; round < 3; ++round) {
            Frm6OnSensor w(version);
            auto& eeprom = w.rig.sensor.memory().eeprom;
            for (int a : settings) eeprom[a] = uint8_t(random());
            eeprom[32] %= 30;  // an ID out of range is brought into range on purpose
            const auto before = eeprom;
            w.run(kActionSensorRead);
            w.f->FormRead();
            w.f->FormUpdate();
            w.run(kActionSensorWrite);
            EXPECT_TRUE(w.rig.t.prompter.messages().empty()) << version;
            EXPECT_EQ(changes(before, w.rig.sensor.memory().eeprom), "")
                << "version " << version << " round " << round;
        }
    }
}

TEST(Frm6SixV3, PairsAgreeAfterEveryEditAndCZeroIsRefused) {
    Frm6OnSensor w(3);
    const std::pair<const char*, const char*> edits[] = {{"txb6v3C", "3000"},
                                                         {"txb6v3A2", "400"},
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
    EXPECT_EQ(w.text("txb6v3C"), "3000");
    const auto image = w.ctx().EeImage;
    w.type("txb6v3C", "0");
    EXPECT_EQ(w.text("txb6v3C"), "3000");
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
    EXPECT_GT(kept, 12);
}

}  // namespace
}  // namespace kelvo::test
