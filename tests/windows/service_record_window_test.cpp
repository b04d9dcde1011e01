// What a window's actions leave in the service record: a backup and a history line for
// what sends, nothing for what only reads.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

#include "service/service_journal.h"
#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

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
