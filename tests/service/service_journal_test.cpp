// Backups and the service history, end to end through the virtual sensor: what a send
// replaces is kept, restoring it brings the sensor back, and each action leaves one line.

#include "service/service_journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "calibration/calibration.h"
#include "files/send_file.h"
#include "files/settings_file.h"
#include "files/settings_file_format.h"
#include "files/settings_file_io.h"
#include "link/address_lists.h"
#include "link/sensor_mem_write.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "service/backup.h"
#include "support/virtual_sensor_rig.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using test::VirtualSensorRig;

const auto kWhen = std::chrono::system_clock::from_time_t(1'800'000'000);

struct Case {
    int platform;
    int version;
};

class ServiceJournalTest : public ::testing::TestWithParam<Case> {
protected:
    // A rig with the journal installed whose whole image has been read, as a window has it,
    // or none of it.
    std::unique_ptr<VirtualSensorRig> openSensor(int platform, int version, bool read = true) {
        auto rig = std::make_unique<VirtualSensorRig>(platform, version);
        Context& ctx = rig->ctx();
        ctx.AppDir = dir.string();
        ctx.serviceRecorder = &journal;
        if (read) {
            EXPECT_TRUE(ReadSpans(ctx, WholeImageReads(static_cast<uint8_t>(platform))))
                << ctx.ErrorText;
        }
        return rig;
    }

    std::vector<std::string> historyLines() {
        std::ifstream in(dir / kHistoryFile);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

    std::vector<fs::path> backups() {
        std::vector<fs::path> files;
        if (fs::exists(dir / kBackupFolder))
            for (const auto& e : fs::directory_iterator(dir / kBackupFolder))
                files.push_back(e.path());
        std::sort(files.begin(), files.end());
        return files;
    }

    // Platform 5 finds its production definition in AppDir.
    test::WorkingFolder folder{"kelvo-journal"};
    const fs::path& dir = folder.path;
    ServiceJournal journal{[] { return kWhen; }};
};

// Bytes of the sensor a settings load selects, as the sensor holds them now.
std::vector<uint8_t> settingsOf(VirtualSensorRig& rig, const PlatformProfile& profile,
                                std::vector<int>& addresses) {
    Context& ctx = rig.ctx();
    const auto kept = ctx.AddressMask;
    ctx.AddressMask.fill(0);
    SelectAddressList(ctx, profile.saveList ? profile.saveList : profile.loadList);
    addresses.clear();
    std::vector<uint8_t> bytes;
    const bool ram = profile.platform == kPlatform5;
    for (int a = 0; a < (ram ? 256 : 512); ++a) {
        if (ctx.AddressMask[a] != 255) continue;
        addresses.push_back(a);
        bytes.push_back(ram ? rig.sensor.memory().ram[a] : rig.sensor.memory().eeprom[a]);
    }
    ctx.AddressMask = kept;
    return bytes;
}

TEST_P(ServiceJournalTest, ASendKeepsWhatItReplacesAndRestoringTheBackupBringsItBack) {
    const Case c = GetParam();
    auto rig = openSensor(c.platform, c.version);
    Context& ctx = rig->ctx();
    const PlatformProfile& profile = *FindProfile(GetPlatform(ctx), GetVersion(ctx));
    std::vector<int> addresses;
    const std::vector<uint8_t> before = settingsOf(*rig, profile, addresses);
    const std::string serial = SerialText(ctx);

    // An edit of one settings byte, sent as a window sends.
    const int edited = addresses.at(addresses.size() / 2);
    float& byte = c.platform == kPlatform5 ? ctx.RamImage[edited] : ctx.EeImage[edited];
    byte = static_cast<float>((static_cast<int>(byte) + 1) % 256);
    {
        RecordedAction action(ctx, "Send to sensor");
        ASSERT_TRUE(RunWriteSteps(ctx, profile.send)) << ctx.ErrorText;
    }
    std::vector<int> unused;
    ASSERT_NE(settingsOf(*rig, profile, unused), before) << "the edit reached the sensor";

    // The backup is named by serial text and time and holds the settings as they were.
    const auto files = backups();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename().string(), BackupFileName(serial, kWhen));
    EXPECT_EQ(journal.lastBackup(), files[0].string());
    const FileReadResult read = ReadFileBounded(files[0].string(), kSetReaderLimit);
    const SetFileParse parsed = ParseSetFile(read.bytes);
    ASSERT_TRUE(parsed.ok());
    // Platform-5 backups add a mask block, which says what a load takes back.
    EXPECT_EQ(parsed.layout.blockCount, profile.saveBlocks.size() + (c.platform == kPlatform5));

    const auto lines = historyLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              "Time,Serial,Platform,Version,Action,Reference,Before,After,Bytes written,"
              "Bytes changed,Backup,Result,Message,Quantity,As found,As left,Stability");
    EXPECT_NE(lines[1].find("," + serial + "," + std::to_string(c.platform) + "," +
                            std::to_string(c.version) + ",Send to sensor,,"),
              std::string::npos)
        << lines[1];
    // Written and changed: the edit, and on EEPROM platforms the timeout counter reset too.
    EXPECT_TRUE(std::regex_search(
        lines[1], std::regex(",[1-9][0-9]*,[12]," + files[0].filename().string() + ",done,,,,,$")))
        << lines[1];

    // Restoring: load the backup, send it.
    ASSERT_TRUE(LoadSettings(ctx, files[0].string(), profile.loadList)) << ctx.ErrorText;
    {
        RecordedAction action(ctx, "Send to sensor");
        ASSERT_TRUE(RunWriteSteps(ctx, profile.send)) << ctx.ErrorText;
    }
    EXPECT_EQ(settingsOf(*rig, profile, unused), before);
    EXPECT_EQ(backups().size(), 2u) << "a restore keeps what it replaces too";
    EXPECT_EQ(historyLines().size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Platforms, ServiceJournalTest,
                         ::testing::Values(Case{5, 0}, Case{6, 0}, Case{6, 2}, Case{61, 0}),
                         [](const auto& info) {
                             return "Platform" + std::to_string(info.param.platform) + "v" +
                                    std::to_string(info.param.version);
                         });

using ServiceJournalCases = ServiceJournalTest;

TEST_F(ServiceJournalCases, ACalibrationRecordsItsReferenceAndWords) {
    auto rig = openSensor(5, 0);
    Context& ctx = rig->ctx();
    const int zeroBefore = rig->sensor.memory().ram[130] * 256 + rig->sensor.memory().ram[131];
    {
        RecordedAction action(ctx, "Calibrate CO2 other", ServiceRecorder::Kind::Calibration);
        action.referenceTyped("1,000 ppm");  // a comma makes the field quoted
        ASSERT_TRUE(CalCO2SinglePoint(ctx, kPlatformChannel, false, kCalOther, "1000"))
            << ctx.ErrorText;
    }
    const int zeroAfter = rig->sensor.memory().ram[130] * 256 + rig->sensor.memory().ram[131];
    const auto lines = historyLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(
        lines[1].find(",Calibrate CO2 other,\"1,000 ppm\",RAM 130: " + std::to_string(zeroBefore) +
                      ",RAM 130: " + std::to_string(zeroAfter) + ",2,"),
        std::string::npos)
        << lines[1];
}

TEST_F(ServiceJournalCases,
       WhatSendsNothingLeavesNoTraceAndAnUnwritableBackupStopsTheSendOnRecord) {
    auto rig = openSensor(6, 0);
    Context& ctx = rig->ctx();
    { RecordedAction action(ctx, "Read from sensor"); }
    EXPECT_TRUE(backups().empty());
    EXPECT_FALSE(fs::exists(dir / kHistoryFile));

    // A file where the backups folder belongs: the backup cannot be written.
    { std::ofstream(dir / kBackupFolder) << "x"; }
    ctx.EeImage[0] = static_cast<float>((static_cast<int>(ctx.EeImage[0]) + 1) % 256);
    rig->sensor.clearRecord();
    {
        RecordedAction action(ctx, "Send to sensor");
        EXPECT_FALSE(RunWriteSteps(ctx, SettingsSendSteps(kPlatform6)));
    }
    EXPECT_NE(ctx.ErrorText.find("Nothing was sent"), std::string::npos) << ctx.ErrorText;
    EXPECT_TRUE(rig->sensor.received().empty()) << "not a byte went out";
    const auto lines = historyLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find(",0,0,none: "), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find(",refused,Nothing was sent"), std::string::npos) << lines[1];
}

TEST_F(ServiceJournalCases, AWriteToAnUnreadSensorKeepsWhatItCoversAndInventsNothing) {
    auto rig = openSensor(6, 0, false);
    Context& ctx = rig->ctx();
    ASSERT_NE(GetPlatform(ctx), 0);
    const std::vector<uint8_t> before = rig->sensor.memory().eeprom;
    ctx.EeImage[100] = 7;
    ctx.EeImage[101] = 9;
    {
        RecordedAction action(ctx, "write");
        ASSERT_TRUE(SensorMemWrite(ctx, {.span = {true, 0, 100, 2}, .unlock = true, .lock = true}))
            << ctx.ErrorText;
    }
    ASSERT_EQ(backups().size(), 1u);
    EXPECT_EQ(ctx.EeRead[300], false) << "the backup read no more than it holds";

    // Sent back into another sensor of the same kind, whose bytes all differ from these but
    // at the identity the load checks, it puts back the two bytes and nothing else.
    VirtualSensorRig other(6, 0);
    std::vector<uint8_t>& memory = other.sensor.memory().eeprom;
    for (int a = 0; a < 512; ++a)
        if (!ctx.EeRead[a]) memory[a] = static_cast<uint8_t>(memory[a] ^ 0x55);
    const std::vector<uint8_t> expected = [&] {
        auto bytes = memory;
        bytes[100] = before[100];
        bytes[101] = before[101];
        return bytes;
    }();
    other.ctx().AppDir = dir.string();
    ASSERT_TRUE(SendSettingsFile(other.ctx(), backups()[0].string(), {})) << other.ctx().ErrorText;
    EXPECT_EQ(other.sensor.memory().eeprom, expected);
}

}  // namespace
}  // namespace kelvo
