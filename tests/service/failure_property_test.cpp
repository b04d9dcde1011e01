// Every action that writes to a sensor, cut short at a random point by a random fault: the
// sensor ends as it was, as meant, or part-way, and then the backup the action recorded puts
// it back byte for byte; the EEPROM is locked wherever the sensor still answers; the history
// row and the message say how it ended.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "calibration/calibration.h"
#include "common/values.h"
#include "files/platform_settings_file.h"
#include "files/send_file.h"
#include "link/address_lists.h"
#include "link/sensor_mem_write.h"
#include "model/channels.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "service/service_journal.h"
#include "support/virtual_sensor_rig.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using test::VirtualSensorRig;

enum class Fault { None, Cancel, Silent, Vanish, Refusing };
constexpr const char* kFaultNames[] = {"none", "cancel", "silent", "vanish", "refusing"};

struct Action {
    const char* name;
    int platform;
    int version;
    std::function<bool(Context&, std::mt19937&)> run;
    // The requests among which the fault strikes: where this action writes.
    int firstFault = 0;
    int lastFault = 16;
};

float randomByte(std::mt19937& rng) {
    return static_cast<float>(std::uniform_int_distribution<int>(0, 255)(rng));
}

// Random edits of settings bytes, as a window makes them.
void editSettings(Context& ctx, std::mt19937& rng) {
    const uint8_t platform = GetPlatform(ctx);
    const PlatformProfile& profile = *FindProfile(platform, GetVersion(ctx));
    ctx.AddressMask.fill(0);
    SelectAddressList(ctx, profile.saveList ? profile.saveList : profile.loadList);
    // No window edits the identification, version or serial bytes.
    const std::vector<int> identity = platform == kPlatform5 ? std::vector<int>{65, 66, 67, 226}
                                                             : std::vector<int>{164, 165, 170, 171};
    std::vector<int> settings;
    for (int a = 0; a < 256; ++a)
        if (ctx.AddressMask[a] == 255 &&
            std::find(identity.begin(), identity.end(), a) == identity.end())
            settings.push_back(a);
    for (int k = 0; k < 6; ++k) {
        const int a = settings[rng() % settings.size()];
        (platform == kPlatform5 ? ctx.RamImage[a] : ctx.EeImage[a]) = randomByte(rng);
    }
}

// Sent as a window sends them.
bool sendEdits(Context& ctx, std::mt19937& rng) {
    editSettings(ctx, rng);
    return SendSettings(ctx, SettingsSendSteps(GetPlatform(ctx), GetVersion(ctx)));
}

// Saved in a settings file, which is then sent as "Send file to sensor" sends it.
bool sendFile(Context& ctx, std::mt19937& rng) {
    editSettings(ctx, rng);
    const std::string path = ctx.AppDir + "/edited.Set";
    if (!SavePlatformSettings(ctx, path)) return false;
    ctx.EeImage = ctx.EeLast;
    ctx.RamImage = ctx.RamLast;
    return SendSettingsFile(ctx, path, {});
}

bool writeBytes(Context& ctx, std::mt19937& rng, bool eeprom) {
    const int count = std::uniform_int_distribution<int>(1, 12)(rng);
    // Clear of the identification and serial bytes, which a plain write may change too but
    // whose restore asks the user first.
    const int address = eeprom ? std::uniform_int_distribution<int>(200, 300)(rng) & ~1
                               : std::uniform_int_distribution<int>(162, 190)(rng);
    for (int a = address; a < address + count; ++a)
        (eeprom ? ctx.EeImage[a] : ctx.RamImage[a]) = randomByte(rng);
    return SensorMemWrite(ctx, {.span = {eeprom, 0, address, count},
                                .commit = !eeprom,
                                .unlock = eeprom,
                                .lock = eeprom,
                                .writeAll = true});
}

bool calibrateTemp(Context& ctx, std::mt19937& rng) {
    return CalTemp(ctx, 18.0f + static_cast<float>(rng() % 80) / 10.0f, kPlatformChannel, false);
}

bool calibrateSpan(Context& ctx, std::mt19937& rng) {
    const float channel = PlatformCO2Channel(ctx);
    const std::string gas = std::to_string(800 + rng() % 1200);
    return CalCO2Span(ctx, channel, NumberText(ParseChannelValue(ctx, gas, channel, false)), false);
}

const std::vector<Action>& actions() {
    static const std::vector<Action> table{
        {"send", 5, 0, sendEdits},
        {"send", 6, 0, sendEdits},
        {"send", 61, 0, sendEdits},
        {"send-file", 5, 0, sendFile, 40, 100},
        {"send-file", 6, 0, sendFile, 85, 130},
        {"write ram", 5, 0, [](Context& c, std::mt19937& r) { return writeBytes(c, r, false); }},
        {"write eeprom", 6, 0, [](Context& c, std::mt19937& r) { return writeBytes(c, r, true); }},
        {"write eeprom", 61, 1, [](Context& c, std::mt19937& r) { return writeBytes(c, r, true); }},
        {"co2 zero", 5, 0,
         [](Context& c, std::mt19937&) {
             return CalCO2SinglePoint(c, kPlatformChannel, false, kCalZero, "");
         }},
        {"co2 fresh air", 6, 0,
         [](Context& c, std::mt19937&) {
             return CalCO2SinglePoint(c, kPlatformChannel, false, kCalFreshAir, "");
         }},
        {"co2 span", 5, 0, calibrateSpan},
        {"co2 span", 6, 0, calibrateSpan, 0, 40},
        {"temperature", 5, 0, calibrateTemp},
        {"temperature", 6, 0, calibrateTemp, 0, 40},
        {"temperature", 61, 0, calibrateTemp, 0, 40},
        {"o2 span", 61, 0,
         [](Context& c, std::mt19937&) {
             return CalO2Span(c, ParseChannelValue(c, "20.9", 6, false));
         }},
    };
    return table;
}

// A sensor's memory with its measurements worked out at one moment, so two states compare
// by what the actions wrote. RAM holds settings on platform 5 only; elsewhere it holds the
// link's timeout counter, which every unlock resets.
struct SensorBytes {
    SensorBytes(virtualsensor::SensorMemory memory) {
        virtualsensor::UpdateLiveValues(memory, 0);
        eeprom = memory.eeprom;
        if (memory.platform == kPlatform5) ram.assign(memory.ram.begin(), memory.ram.end());
    }
    std::vector<uint8_t> eeprom;
    std::vector<uint8_t> ram;
};

std::vector<std::string> differences(const SensorBytes& a, const SensorBytes& b) {
    std::vector<std::string> where;
    for (size_t i = 0; i < a.eeprom.size(); ++i)
        if (a.eeprom[i] != b.eeprom[i]) where.push_back("EEPROM " + std::to_string(i));
    for (size_t i = 0; i < a.ram.size(); ++i)
        if (a.ram[i] != b.ram[i]) where.push_back("RAM " + std::to_string(i));
    return where;
}

std::string lastHistoryRow(const fs::path& dir) {
    std::ifstream in(dir / kHistoryFile);
    std::string line, last;
    while (std::getline(in, line)) last = line;
    return last;
}

TEST(FailureProperty, EveryCutShortWriteIsLockedRecordedAndUndoneByItsBackup) {
    const test::WorkingFolder folder("kelvo-faults");
    const fs::path& dir = folder.path;
    std::mt19937 rng(20261209);
    int restored = 0;
    for (int run = 0; run < 160; ++run) {
        folder.reset();
        const Action& action = actions()[rng() % actions().size()];
        const auto fault = static_cast<Fault>(run % 5);
        const int faultAt =
            std::uniform_int_distribution<int>(action.firstFault, action.lastFault)(rng);
        VirtualSensorRig rig(action.platform, action.version);
        Context& ctx = rig.ctx();
        ctx.AppDir = dir.string();
        ServiceJournal journal;
        ctx.serviceRecorder = &journal;
        ASSERT_TRUE(ReadSpans(ctx, WholeImageReads(static_cast<uint8_t>(action.platform))));
        const SensorBytes before(rig.sensor.memory());
        const size_t firstRequest = rig.sensor.requests().size();
        bool struck = false;
        rig.t.pump.onEvents([&] {
            if (struck || fault == Fault::None || fault == Fault::Silent ||
                rig.sensor.requests().size() < firstRequest + static_cast<size_t>(faultAt))
                return;
            struck = true;
            if (fault == Fault::Cancel) cancel(ctx);
            if (fault == Fault::Vanish) rig.sensor.vanishAfter(0);
            if (fault == Fault::Refusing) rig.sensor.answerOnly(0);
        });
        if (fault == Fault::Silent) rig.sensor.silentAfter(faultAt);
        bool ok = false;
        {
            RecordedAction record(ctx, action.name);
            ok = record.finish(action.run(ctx, rng));
        }
        const std::string why = ctx.ErrorText;
        const SensorBytes after(rig.sensor.memory());
        const std::string row = lastHistoryRow(dir);
        SCOPED_TRACE("run " + std::to_string(run) + ": " + action.name + " on " +
                     std::to_string(action.platform) + ", fault " +
                     kFaultNames[static_cast<int>(fault)] + " at request " +
                     std::to_string(faultAt) + ": " + why + "\n" + row);

        const bool answers = fault == Fault::None || fault == Fault::Cancel;
        if (answers) {
            EXPECT_TRUE(rig.sensor.eepromLocked());
        }
        if (!rig.sensor.eepromLocked()) {
            EXPECT_NE(why.find("may still be unlocked"), std::string::npos);
        }
        if (ok) {
            EXPECT_NE(row.find(",done,"), std::string::npos);
            continue;
        }
        if (!row.empty()) {
            EXPECT_EQ(row.find(",done,"), std::string::npos) << "a failure recorded as done";
        }
        if (differences(before, after).empty()) continue;

        // The sensor was changed part-way: the message names the backup that puts it back.
        ASSERT_FALSE(journal.lastBackup().empty());
        const std::string name = fs::path(journal.lastBackup()).filename().string();
        EXPECT_NE(why.find("backups/" + name), std::string::npos);
        EXPECT_NE(row.find("," + name + ","), std::string::npos);
        EXPECT_TRUE(row.find(",failed,") != std::string::npos ||
                    row.find(",interrupted,") != std::string::npos);

        // Sent as a technician would, from a fresh start, once the sensor answers again.
        rig.sensor.silentFor(0);
        rig.sensor.silentAfter(-1);
        rig.sensor.answerOnly(-1);
        rig.sensor.reconnect();
        VirtualSensorRig again(virtualsensor::SensorMemory(rig.sensor.memory()));
        again.ctx().AppDir = dir.string();
        ASSERT_TRUE(SendSettingsFile(again.ctx(), journal.lastBackup(), {}))
            << again.ctx().ErrorText;
        EXPECT_EQ(differences(before, SensorBytes(again.sensor.memory())),
                  std::vector<std::string>{});
        ++restored;
    }
    EXPECT_GT(restored, 10) << "too few runs left the sensor part-way to prove the way back";
}

}  // namespace
}  // namespace kelvo
