#include "files/send_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "files/file_writer.h"
#include "files/platform_settings_file.h"
#include "files/settings_file.h"
#include "files/settings_file_format.h"
#include "files/settings_file_io.h"
#include "link/address_lists.h"
#include "link/sensor_mem_read.h"
#include "model/tables.h"
#include "support/foreign_serial.h"
#include "support/virtual_sensor_rig.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using test::VirtualSensorRig;

class SendFileTest : public test::FolderTest {
protected:
    SendFileTest() : FolderTest("kelvo-send-") {}

    // The file a platform-6 window saves from this sensor.
    std::string savePlatform6(VirtualSensorRig& rig) {
        const std::string path = (dir / "p6.Set").string();
        Context& ctx = rig.ctx();
        EXPECT_TRUE(SensorMemRead(ctx, 30, 0, 0, true, false)) << ctx.ErrorText;
        EXPECT_TRUE(SavePlatformSettings(ctx, path)) << ctx.ErrorText;
        return path;
    }

    std::vector<std::string> steps;
    std::function<void(const std::string&)> progress = [this](const std::string& s) {
        steps.push_back(s);
    };
};

TEST_F(SendFileTest, Platforms6And61RestoreTheSettingsTheFileCarries) {
    for (const auto& [platform, inList] : {std::pair{6, 0}, {61, 32}}) {
        SCOPED_TRACE(platform);
        VirtualSensorRig source(platform, 1);
        source.sensor.memory().eeprom[inList] = 0x5A;
        source.sensor.memory().eeprom[200] = 0x11;  // outside the file's list
        const std::string path = savePlatform6(source);

        VirtualSensorRig target(platform, 1);
        target.sensor.memory().eeprom[inList] = 0x01;
        target.sensor.memory().eeprom[200] = 0x22;
        steps.clear();
        ASSERT_TRUE(SendSettingsFile(target.ctx(), path, progress)) << target.ctx().ErrorText;
        EXPECT_EQ(target.sensor.memory().eeprom[inList], 0x5A);
        EXPECT_EQ(target.sensor.memory().eeprom[200], 0x22);
        EXPECT_EQ(steps, (std::vector<std::string>{"Reading sensor", "Saving to sensor"}));
        EXPECT_FALSE(target.sensor.isOpen());
    }
}

// A file whose mask takes references but not the zero words and tables they are kept
// against. The high byte of a reference's place decides: taken whole, the reference is
// stored again in the target's terms; otherwise the target keeps its own. What the target's
// image holds counts as its own, an edit not yet sent included.
TEST_F(SendFileTest, ReferencesInTheMaskAreStoredAgainForTheTargetsZeroWords) {
    const auto references = [](Context& ctx) {
        return std::vector<float>{GetZeroReference(ctx, 0), GetZeroReference(ctx, 1),
                                  GetSpanReference(ctx, 0, true, false),
                                  GetSpanReference(ctx, 1, true, false)};
    };
    struct Row {
        int platform;
        std::vector<int> whole;      // the bytes the mask takes
        std::vector<bool> fromFile;  // each reference: the file's, or the target's own
    };
    // Zero references at 38 and 43 (61: 58 and 60), span references kept against 36 and 41
    // (61: 34; its one CO2 channel has no second).
    const std::vector<Row> rows = {
        {6, {36, 37, 38, 39, 40, 41, 42, 43, 44, 45}, {true, true, true, true}},
        {6, {36, 43}, {false, true, true, false}},
        {6, {38, 41}, {true, false, false, true}},
        {6, {35, 37, 39, 40, 42, 44, 45}, {false, false, false, false}},
        {61, {34, 60}, {false, true, true, false}},
        {61, {36, 58}, {true, false, false, false}},
        {61, {33, 35, 57, 59, 61}, {false, false, false, false}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.platform << " from " << row.whole[0]);
        const bool six = row.platform == 6;
        const int zero0 = six ? 38 : 58;
        const int liveSpan0 = six ? 212 : 210;
        // Both sensors: a second pair of references like the first, the image read, and the
        // same edits of the live span references not yet sent.
        const auto prepare = [&](VirtualSensorRig& rig) {
            auto& memory = rig.sensor.memory();
            std::copy_n(&memory.eeprom[zero0], 2, &memory.eeprom[zero0 + (six ? 5 : 2)]);
            if (six) std::copy_n(&memory.ram[liveSpan0], 2, &memory.ram[liveSpan0 + 5]);
            EXPECT_TRUE(SensorMemRead(rig.ctx(), 30, 0, 0, true, false));
            references(rig.ctx());
            rig.ctx().RamImage[liveSpan0 + 1] += 16;
            if (six) rig.ctx().RamImage[liveSpan0 + 6] += 8;
            return references(rig.ctx());
        };
        VirtualSensorRig source(row.platform, row.platform == 61 ? 1 : 0);
        const auto file = prepare(source);
        Context& ctx = source.ctx();
        std::fill(ctx.AddressMask.begin(), ctx.AddressMask.end(), 0);
        for (int a : row.whole) ctx.AddressMask[a] = 255;
        const std::string path = (dir / "refs.Set").string();
        ASSERT_TRUE(SaveSettings(ctx, 10, path, 1, false) && SaveSettings(ctx, 15, path, 1, true));

        // Lower zero words, and every table 2 % lower.
        VirtualSensorRig target(row.platform, row.platform == 61 ? 1 : 0);
        auto& ee = target.sensor.memory().eeprom;
        ee[46] -= 8;
        ee[48] -= 8;
        for (int a = 308; a < 512; a += 2) {
            const int entry = (ee[a] * 256 + ee[a + 1]) * 49 / 50;
            ee[a] = static_cast<uint8_t>(entry >> 8);
            ee[a + 1] = static_cast<uint8_t>(entry);
        }
        const auto own = prepare(target);
        ASSERT_TRUE(LoadSettings(target.ctx(), path, 0)) << target.ctx().ErrorText;
        const auto restored = references(target.ctx());
        for (size_t i = 0; i < restored.size(); ++i)
            EXPECT_NEAR(restored[i], row.fromFile[i] ? file[i] : own[i], 2) << i;
    }
}

TEST_F(SendFileTest, ALoadIntoAFreshImageMergesWithTheSensorsOwnBytes) {
    VirtualSensorRig source(6);
    source.sensor.memory().eeprom[165] = 0x81;  // list 13 carries every bit but bit 0
    const std::string path = savePlatform6(source);
    // Nothing of the target has been read yet: the load's own questions fetch EEPROM 165.
    VirtualSensorRig target(6);
    ASSERT_EQ(target.sensor.memory().eeprom[165], 0x01);
    ASSERT_TRUE(LoadSettings(target.ctx(), path, 0)) << target.ctx().ErrorText;
    EXPECT_EQ(target.ctx().EeImage[165], 0x81);
}

TEST_F(SendFileTest, AFailedWriteIsAFailure) {
    VirtualSensorRig source(6);
    source.sensor.memory().eeprom[0] = 0x5A;
    const std::string path = savePlatform6(source);

    VirtualSensorRig target(6);
    target.sensor.refuseWrites(true);
    EXPECT_FALSE(SendSettingsFile(target.ctx(), path, progress));
    EXPECT_FALSE(target.ctx().ErrorText.empty());
}

TEST_F(SendFileTest, ADamagedFileIsReportedAndNothingIsWritten) {
    VirtualSensorRig source(6);
    const std::string path = savePlatform6(source);
    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(600);
        f.put('\x7F');
    }
    VirtualSensorRig target(6);
    target.sensor.clearRecord();
    EXPECT_FALSE(SendSettingsFile(target.ctx(), path, progress));
    EXPECT_EQ(target.ctx().ErrorText, "File is damaged " + path);
    EXPECT_EQ(steps, (std::vector<std::string>{"Reading sensor"}));
    EXPECT_EQ(target.sensor.savesToRam(), 0);
}

TEST_F(SendFileTest, Platform5SendsTheSettingsList) {
    const std::string data = std::string(KELVO_SOURCE_DIR) + "/data";
    VirtualSensorRig source(5, 0);
    source.ctx().AppDir = data;
    source.sensor.memory().ram[31] = 0x21;  // network settings, in list 6
    ASSERT_TRUE(SensorMemRead(source.ctx(), 8, 0, 0, false, false));
    const std::string path = (dir / "p5.Set").string();
    ASSERT_TRUE(SavePlatformSettings(source.ctx(), path));
    EXPECT_EQ(std::ifstream(path, std::ios::binary).get(), 255);  // platform 5's writer flag

    // The zero reference is kept in a form that depends on the span word, which the file
    // does not carry: the load stores it again for the target's own span word.
    const float reference = GetZeroReference(source.ctx(), 0);
    VirtualSensorRig target(5, 0);
    target.ctx().AppDir = data;
    target.sensor.memory().ram[138] ^= 0x40;
    ASSERT_TRUE(SendSettingsFile(target.ctx(), path, progress)) << target.ctx().ErrorText;
    EXPECT_EQ(target.sensor.memory().ram[31], 0x21);
    EXPECT_NEAR(GetZeroReference(target.ctx(), 0), reference, 2);

    VirtualSensorRig version3(5, 3);  // the TWA variant: not for this shortcut
    version3.ctx().AppDir = data;
    EXPECT_FALSE(SendSettingsFile(version3.ctx(), path, progress));
    EXPECT_EQ(version3.ctx().ErrorText, "Unknown sensor type, can't connect to sensor.");
}

TEST_F(SendFileTest, Platform5WithoutItsDefinitionFileReadsNothing) {
    VirtualSensorRig rig(5, 0);
    rig.ctx().AppDir = dir.string();
    EXPECT_FALSE(SendSettingsFile(rig.ctx(), (dir / "x.Set").string(), progress));
    EXPECT_FALSE(rig.ctx().ErrorText.empty());
    EXPECT_TRUE(steps.empty());
}

// Saving as a window does: refused for a sensor whose files the program cannot write, and
// a failed write is a failure.
TEST_F(SendFileTest, SavingFailsForPlatform7AndForAPathThatCannotBeWritten) {
    VirtualSensorRig p7(7, 1);
    EXPECT_FALSE(SavePlatformSettings(p7.ctx(), (dir / "x.Set").string()));
    EXPECT_EQ(p7.ctx().ErrorText, "Cant save settings from this sensor");
    VirtualSensorRig p6(6);
    ASSERT_TRUE(SensorMemRead(p6.ctx(), 30, 0, 0, true, false));
    EXPECT_FALSE(SavePlatformSettings(p6.ctx(), (dir / "no-such-folder" / "x.Set").string()));
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
}

TEST_F(SendFileTest, Platform7IsNotSupported) {
    VirtualSensorRig rig(7, 1);
    EXPECT_FALSE(SendSettingsFile(rig.ctx(), (dir / "x.Set").string(), progress));
    EXPECT_EQ(rig.ctx().ErrorText, "Unknown sensor type, can't connect to sensor.");
    EXPECT_TRUE(steps.empty());
}

TEST_F(SendFileTest, NoSensorGivesTheReadsMessage) {
    test::TestContext t;
    t.silent.openable = false;
    EXPECT_FALSE(SendSettingsFile(t.ctx, (dir / "x.Set").string(), progress));
    EXPECT_FALSE(t.ctx.ErrorText.empty());
    EXPECT_NE(t.ctx.ErrorText, "Unknown product");
}

// Who the sensor is never travels in Kelvo's own files; a crafted file that would change it
// goes out only when the user says Yes, and a No names the bytes and sends nothing.
TEST_F(SendFileTest, AFileThatChangesTheSensorsIdentityIsSentOnlyWhenConfirmed) {
    for (int platform : {6, 61}) {
        VirtualSensorRig source(platform, 1);
        const std::string own = savePlatform6(source);
        const Bytes file = ReadFileBounded(own, kSetReaderLimit).bytes;
        for (const SetFileBlock& b : ParseSetFile(file).layout.blocks) {
            const uint8_t* mask = file.data() + b.offset + 4 + kSetMaskBlockPrefix;
            if (b.type != kSetBlockMask) continue;
            EXPECT_EQ(mask[164] | (mask[165] & 1) | mask[170] | mask[171], 0) << platform;
        }
        const std::string crafted = (dir / "crafted.Set").string();
        std::string error;
        ASSERT_TRUE(WriteFileAtomically(crafted, test::withForeignSerial(file), error));
        const std::string named = "The settings file " + crafted +
                                  " would change the sensor's identity: EEPROM 170-171 (serial "
                                  "number).";
        for (bool yes : {false, true}) {
            VirtualSensorRig target(platform, 1);
            auto expected = target.sensor.memory().eeprom;
            if (yes) expected[170] = expected[171] = 0x42;
            target.t.prompter.confirmAnswers = {yes};
            EXPECT_EQ(SendSettingsFile(target.ctx(), crafted, progress), yes);
            EXPECT_EQ(target.t.prompter.questions, std::vector{named + " Use it anyway?"});
            EXPECT_EQ(target.ctx().ErrorText,
                      yes ? "" : named + " Nothing was sent to the sensor.");
            EXPECT_EQ(target.sensor.memory().eeprom, expected) << platform << yes;
        }
    }
}

}  // namespace
}  // namespace kelvo
