// The TWA-alarm window on a virtual platform-5 sensor: alarm rows in the function slots,
// relays, live alarm state, the TWA source of row 0, its own send, and a failed poll.
#include "windows/platform5/frm5chart.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include "link/link_frames.h"
#include "link/sensor_command.h"
#include "model/channels.h"
#include "model/identification.h"
#include "windows/channel_panel.h"
#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

class Frm5ChartTest : public ::testing::Test {
protected:
    Frm5ChartTest() : w(5, 2), window(dynamic_cast<frm5Chart*>(w.window)) {}

    float& ram(int address) { return w.ctx().RamImage[address]; }
    int word(int address) { return int(ram(address)) % 128 * 256 + int(ram(address + 1)); }
    int raw(const char* text, int channel) {
        return int(ParseChannelValue(w.ctx(), text, float(channel), false));
    }
    void type(QLineEdit* field, const QString& text) {
        field->setText(text);
        window->FormRead();
        window->FormUpdate();
    }

    WindowOnSensor w;
    frm5Chart* window;
};

TEST_F(Frm5ChartTest, StartUpOpensItForTheTwaVersions) {
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->objectName(), "frm5Chart");
    EXPECT_EQ(window->txbVersion->text(), "2");
    EXPECT_EQ(window->mCalCO2->title(), "CO2 sinle point");
    EXPECT_EQ(window->pctChannels->lblCH_Name[2]->text(), "8 - hrs TWA:");
    EXPECT_EQ(window->lblTolvaTWA->text(), "CO2 TWA ALARM:");
    // The image was read whole at start-up: the values show before any poll.
    EXPECT_FALSE(window->pctChannels->txbCHact[1]->text().isEmpty());
    EXPECT_EQ(window->txbStatus[0]->text(), "OK");
}

TEST_F(Frm5ChartTest, TheTwaBoxRenamesTheDisplayModesAndStoresItsSource) {
    window->cbxTWAonP0->click();
    EXPECT_EQ(window->mDisplayMode[1]->text(), "CO2 TWA");
    EXPECT_EQ(window->mDisplayMode[3]->text(), "CO2 TWA + CO2");
    EXPECT_EQ(ram(162), 3);
    EXPECT_EQ(ram(205), 243);
    EXPECT_EQ(ram(207), 16);
    // A display mode is shown by its new name at once.
    ram(31) = 3;
    window->FormUpdate();
    EXPECT_EQ(window->lblDisplayMode->text(), "CO2 TWA + CO2");

    window->cbxTWAonP0->click();
    EXPECT_EQ(window->mDisplayMode[1]->text(), "TEMP");
    EXPECT_EQ(window->lblDisplayMode->text(), "TEMP + CO2");
    EXPECT_EQ(ram(162), 1);
    EXPECT_EQ(ram(205), 16);
}

// Each row's level makes both parameters of its function slot; the flag bits beside them
// stay as they were.
TEST_F(Frm5ChartTest, EachRowStoresItsLevelAsAAndB) {
    const struct {
        int row;
        const char* level;
        int channel;
        int aFromLevel;
        int bFromLevel;
    } cases[] = {{0, "900", 1, -10, 0},
                 {1, "1000", 1, -10, 0},
                 {2, "700", 1, 0, 0},
                 {3, "5", 0, 0, 100},
                 {4, "30", 0, -100, 0}};
    for (const auto& c : cases) {
        const int a = 163 + 5 * c.row;
        const int b = 165 + 5 * c.row;
        ram(a) = 128 + 1;
        ram(b) = 128 + 2;
        window->FormUpdate();
        type(window->txbTolvaLevel[c.row], c.level);
        const int level = raw(c.level, c.channel);
        EXPECT_EQ(word(a), level + c.aFromLevel) << "row " << c.row;
        EXPECT_EQ(word(b), level + c.bFromLevel) << "row " << c.row;
        EXPECT_EQ(int(ram(a)) & 128, 128) << "row " << c.row;
        EXPECT_EQ(int(ram(b)) & 128, 128) << "row " << c.row;
        EXPECT_EQ(window->txbTolvaLevel[c.row]->text(), c.level) << "row " << c.row;
    }
}

TEST_F(Frm5ChartTest, TheAlarmStateComesFromRam255) {
    w.rig.sensor.memory().ram[255] = 5;
    w.rig.sensor.memory().ram[14] = 128;
    w.poll();
    const char* expected[] = {"ALARM", "OK", "ALARM", "OK", "OK"};
    for (int k = 0; k < frm5Chart::kRows; ++k) {
        EXPECT_EQ(window->txbStatus[k]->text(), expected[k]) << k;
        const QColor background = window->txbStatus[k]->palette().color(QPalette::Base);
        EXPECT_EQ(background, k % 2 == 0 && k < 4 ? QColor(255, 0, 0) : QColor(0, 255, 0)) << k;
    }
    EXPECT_EQ(window->txbTolvaActTempAenable->text(), "Enabled");
}

TEST_F(Frm5ChartTest, AFailedPollSaysSoTwiceAndTurnsSimulated) {
    w.rig.sensor.silentFor(1'000'000);
    w.poll();
    const std::string message = "No sensor detected, entering simulated mode.";
    EXPECT_EQ(w.rig.t.prompter.messages(), (std::vector<std::string>{message, message}));
    EXPECT_TRUE(window->cbxSimulated->isChecked());
    EXPECT_TRUE(window->windowTitle().startsWith("Kelvo3.0 Simulated mode - platform 5 version "))
        << window->windowTitle().toStdString();
}

// The send writes what the window shows, one frame at a time on one open port, and then
// has the sensor save it: display mode, unit byte, second unit byte and ID, byte 230, then
// the alarm rows and the relay byte.
TEST_F(Frm5ChartTest, SendWritesItsOwnSequenceFrameByFrame) {
    w.run(kActionSensorWrite);
    ASSERT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
    const int protocol = GetProtocol(w.ctx());
    auto isCommand = [&](const Bytes& f) {
        for (int code = kSaveToRam; code <= kTwaReset; ++code)
            if (link::commandFrame(code, protocol) == f) return true;
        return false;
    };
    std::vector<std::pair<int, int>> writes;  // address, count
    std::vector<Bytes> commands;
    for (const Bytes& f : w.rig.sensor.requests()) {
        if (isCommand(f)) {
            commands.push_back(f);
        } else if (!(f[0] & 0x80) && !(f[0] & 8)) {  // a RAM write: count, address, data
            writes.push_back({f[1] + ((f[0] & 64) ? 128 : 0), f[0] & 7});
        }
    }
    std::vector<std::pair<int, int>> expected = {{31, 1}, {205, 1}, {207, 2}, {230, 1}};
    for (int a = 162; a < 190; a += 4) expected.push_back({a, 4});
    EXPECT_EQ(writes, expected);
    EXPECT_EQ(commands, (std::vector<Bytes>{*link::commandFrame(kSaveToEeprom, protocol)}));
    EXPECT_EQ(w.rig.sensor.opens(), 1);
    EXPECT_EQ(w.rig.sensor.savesToEeprom(), 1);
}

TEST_F(Frm5ChartTest, SimulatedAlarmsFollowTheTypedValues) {
    window->SimMode(true);
    type(window->txbTolvaLevel[1], "1000");
    type(window->txbTolvaLevel[3], "5");
    type(window->txbTolvaLevel[4], "30");
    const struct {
        const char* temperature;
        const char* co2;
        const char* main;  // row 1
        const char* low;   // row 3
        const char* high;  // row 4
    } cases[] = {{"20", "999", "OK", "OK", "OK"},
                 {"5", "1000", "ALARM", "ALARM", "OK"},
                 {"30", "400", "OK", "OK", "ALARM"}};
    for (const auto& c : cases) {
        window->pctChannels->txbCHact[0]->setText(c.temperature);
        window->pctChannels->txbCHact[1]->setText(c.co2);
        window->Simulate();
        EXPECT_EQ(window->txbStatus[1]->text(), c.main) << c.co2;
        EXPECT_EQ(window->txbStatus[3]->text(), c.low) << c.temperature;
        EXPECT_EQ(window->txbStatus[4]->text(), c.high) << c.temperature;
    }
}

}  // namespace
}  // namespace kelvo::test
