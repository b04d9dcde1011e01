// A shown window on each kind of sensor. Between user actions the port is free for other
// programs, and a close request that arrives while the window talks to the sensor still
// leaves the window, after cancelling what it was doing. The general panel shows the sensor's
// serial text and network ID, and an ID typed into it reaches the sensor as that one byte, at
// the address the platform keeps it, with nothing else of that memory changed. What sends
// leaves a backup and a history line in the service record; what only reads leaves nothing.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTemporaryDir>
#include <fstream>

#include "model/identification.h"
#include "service/service_journal.h"
#include "windows/window_input.h"
#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

class ShownWindow : public ::testing::TestWithParam<SensorKind> {};

TEST_P(ShownWindow, ThePortIsClosedAfterEveryPollAndAction) {
    WindowOnSensor w(GetParam().platform, GetParam().version);
    for (int poll = 0; poll < 3; ++poll) {
        const int opens = w.rig.sensor.opens();
        w.poll();
        EXPECT_GT(w.rig.sensor.opens(), opens) << "poll " << poll << " read nothing";
        EXPECT_FALSE(w.rig.sensor.isOpen()) << "after poll " << poll;
    }
    for (int16_t code : {kActionSensorRead, kActionSensorWrite, kActionTWAReset}) {
        w.run(code);
        EXPECT_FALSE(w.rig.sensor.isOpen()) << "after action " << code;
    }
    EXPECT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
}

TEST_P(ShownWindow, ACloseRequestDuringAPollLeavesTheWindowWhenThePollEnds) {
    WindowOnSensor w(GetParam().platform, GetParam().version);
    bool closeSent = false;
    w.rig.t.pump.onEvents([&] {
        // The user closes the window while the poll waits for the sensor's answer.
        if (!closeSent && w.rig.sensor.isOpen()) {
            closeSent = true;
            w.window->close();
        }
    });
    w.poll();
    ASSERT_TRUE(closeSent);
    EXPECT_EQ(w.host.restarts, 1);
    EXPECT_FALSE(w.rig.sensor.isOpen());
    EXPECT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
}

TEST_P(ShownWindow, ClosingDuringASendCancelsItAndLeavesWhenItHasEnded) {
    WindowOnSensor w(GetParam().platform, GetParam().version, {},
                     virtualsensor::LineTiming::RealTime);
    int eventsIntoSend = 0;
    int restartsAtClose = -1;
    bool cancelledByClose = false;
    w.rig.t.pump.onEvents([&] {
        // The user closes the window a little way into the send, with the line paced.
        if (!w.host.progress.contains("Sending to sensor") || ++eventsIntoSend != 5) return;
        w.window->close();
        restartsAtClose = w.host.restarts;
        cancelledByClose = isCancelled(w.ctx());
    });
    w.run(kActionSensorWrite);
    ASSERT_GE(eventsIntoSend, 5) << "the send ended before the close";
    EXPECT_EQ(restartsAtClose, 0);
    EXPECT_TRUE(cancelledByClose);
    EXPECT_EQ(w.host.restarts, 1);
    EXPECT_TRUE(w.rig.sensor.eepromLocked());
    EXPECT_FALSE(w.rig.sensor.isOpen());
    EXPECT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
}

TEST_P(ShownWindow, ShowsTheSensorsIdAndSendsAnEditedIdAsThatByteAlone) {
    const SensorKind kind = GetParam();
    const MemorySpan id = FindProfile(uint8_t(kind.platform), float(kind.version))->networkId.span;
    // The memory that holds the ID, without the bytes the sensor's own measurements move.
    const auto settings = [&id](const virtualsensor::SensorMemory& m) {
        std::vector<int> bytes(m.eeprom.begin(), m.eeprom.end());
        if (id.eeprom) return bytes;
        bytes.assign(m.ram.begin(), m.ram.end());
        for (size_t a = 0; a < bytes.size(); ++a)
            if (m.liveWritten[a]) bytes[a] = -1;
        return bytes;
    };
    WindowOnSensor w(kind.platform, kind.version, [&id](virtualsensor::SensorMemory& m) {
        (id.eeprom ? m.eeprom[size_t(id.address)] : m.ram[size_t(id.address)]) = 17;
    });
    SensorWindow& window = *w.window;
    EXPECT_EQ(window.txbSN->text().toStdString(), SerialText(w.ctx()));
    EXPECT_FALSE(window.txbSN->text().isEmpty());
    EXPECT_EQ(window.txbID->text(), "17");

    const auto before = settings(w.rig.sensor.memory());
    type(window.txbID, "23");
    w.run(kActionSensorWrite);
    ASSERT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
    EXPECT_EQ(changes(before, settings(w.rig.sensor.memory())),
              " " + std::to_string(id.address) + ": 17 -> 23");
    window.txbID->setText("0");
    w.run(kActionSensorRead);
    EXPECT_EQ(window.txbID->text(), "23");
}

INSTANTIATE_TEST_SUITE_P(EveryWindowKind, ShownWindow,
                         ::testing::Values(SensorKind{5, 0}, SensorKind{5, 1}, SensorKind{6, 0},
                                           SensorKind{61, 0}, SensorKind{7, 1}, SensorKind{7, 2}),
                         kindName);

std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(WindowServiceRecord, ACalibrationKeepsABackupAndALineWithTheValueTyped) {
    QTemporaryDir dir;
    WindowOnSensor w(6, 0);
    ServiceJournal journal;
    w.ctx().AppDir = dir.path().toStdString();
    w.ctx().serviceRecorder = &journal;

    w.run(kActionSensorRead);
    EXPECT_FALSE(QFile::exists(dir.filePath("history.csv"))) << "a read sends nothing";

    w.rig.t.prompter.inputAnswers = {"25"};
    w.run(kActionCalTemp);
    ASSERT_FALSE(journal.lastBackup().empty());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(journal.lastBackup())));
    const auto lines = linesOf(dir.filePath("history.csv").toStdString());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find(",6,0,Calibrate temperature,25,EEPROM "), std::string::npos)
        << lines[1];
}

}  // namespace
}  // namespace kelvo::test
