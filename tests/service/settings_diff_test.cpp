// The settings diff on files that differ in known places.

#include "service/settings_diff.h"

#include <gtest/gtest.h>

#include "files/settings_file_format.h"
#include "settings/platform5_codecs.h"
#include "virtualsensor/factory_images.h"

namespace kelvo {
namespace {

// A platform-5 file of this RAM image, as the window writes it.
Bytes platform5File(const std::array<uint8_t, 256>& ram) {
    Bytes data;
    for (int a = 0; a < 256; ++a)
        if (a < 112 || a >= 128) data.push_back(ram[a]);
    return MakeSetFile(255, 1, MakeSetBlock(kSetBlockRam, data));
}

Bytes platform6File(const std::vector<uint8_t>& eeprom, uint8_t maskOf10 = 255) {
    Bytes mask(30, 0);
    for (int a = 0; a < 512; ++a) mask.push_back(a == 10 ? maskOf10 : 255);
    Bytes blocks = MakeSetBlock(kSetBlockMask, mask);
    const Bytes data = MakeSetBlock(kSetBlockEeprom, Bytes(eeprom.begin(), eeprom.begin() + 512));
    blocks.insert(blocks.end(), data.begin(), data.end());
    return MakeSetFile(1, 2, blocks);
}

TEST(SettingsDiff, NamesThePlatform5SettingsGivesOtherBytesByAddressAndRefusesADamagedFile) {
    const auto ram = virtualsensor::FactoryImage(5, 0)->ram;
    auto changed = ram;
    changed[208] = static_cast<uint8_t>(ram[208] + 3);  // network ID
    changed[190] = 0x90;                                // Out 1 base line, both bytes
    changed[191] = 0x00;
    changed[150] = static_cast<uint8_t>(ram[150] ^ 1);  // a byte no setting names
    changed[200] = static_cast<uint8_t>(ram[200] ^ 1);
    const SettingsDiff diff =
        DiffSettingsFiles(platform5File(ram), "A.Set", platform5File(changed), "B.Set");
    ASSERT_TRUE(diff.error.empty()) << diff.error;
    const int baseLineBefore = ram[190] * 256 + ram[191];
    const std::vector<std::string> expected{
        "RAM 150: " + std::to_string(ram[150]) + " -> " + std::to_string(changed[150]),
        "RAM 190-191: Out 1 base line: " + p5::baseLineText(baseLineBefore) + " % -> 25 % (" +
            std::to_string(baseLineBefore) + " -> 36864)",
        "RAM 200: " + std::to_string(ram[200]) + " -> " + std::to_string(changed[200]),
        "RAM 208: Network ID: " + std::to_string(ram[208]) + " -> " + std::to_string(changed[208]) +
            " (" + std::to_string(ram[208]) + " -> " + std::to_string(changed[208]) + ")",
    };
    EXPECT_EQ(diff.lines, expected);
    EXPECT_EQ(diff.bytes, 3 + (ram[190] != 0x90) + (ram[191] != 0));

    const SettingsDiff same =
        DiffSettingsFiles(platform5File(ram), "A.Set", platform5File(ram), "A.Set");
    EXPECT_TRUE(same.lines.empty());
    EXPECT_EQ(same.bytes, 0);

    // A damaged file is refused by its name.
    Bytes damaged = platform5File(ram);
    damaged[100] ^= 1;
    const SettingsDiff refused = DiffSettingsFiles(platform5File(ram), "A.Set", damaged, "B.Set");
    EXPECT_EQ(refused.error, "File is damaged B.Set (checksum differs)");
    EXPECT_TRUE(refused.lines.empty());
}

TEST(SettingsDiff, EepromFilesByAddressWhereBothTakeTheByteAndDifferentKindsByBlock) {
    const auto eeprom = virtualsensor::FactoryImage(6, 0)->eeprom;
    auto changed = eeprom;
    changed[10] = static_cast<uint8_t>(eeprom[10] + 1);
    changed[511] = static_cast<uint8_t>(eeprom[511] ^ 0x80);
    const SettingsDiff diff =
        DiffSettingsFiles(platform6File(eeprom), "a", platform6File(changed, 0), "b");
    ASSERT_TRUE(diff.error.empty()) << diff.error;
    EXPECT_EQ(
        diff.lines,
        (std::vector<std::string>{
            "EEPROM 511: " + std::to_string(eeprom[511]) + " -> " + std::to_string(changed[511]),
            "1 byte is in one file only",
        }));
    EXPECT_EQ(diff.bytes, 1) << "a byte one file does not take is no change it would make";

    const auto ram = virtualsensor::FactoryImage(5, 0)->ram;
    const SettingsDiff kinds =
        DiffSettingsFiles(platform5File(ram), "p5.Set", platform6File(eeprom), "p6.Set");
    EXPECT_EQ(kinds.lines,
              (std::vector<std::string>{"block 1 only in p5.Set", "block 10 only in p6.Set",
                                        "block 15 only in p6.Set"}));
}

}  // namespace
}  // namespace kelvo
