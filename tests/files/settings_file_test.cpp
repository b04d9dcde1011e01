#include "files/settings_file.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <numeric>
#include <set>

#include "files/settings_file_format.h"
#include "files/settings_file_io.h"
#include "link/address_lists.h"
#include "model/identification.h"
#include "model/tables.h"
#include "support/test_context.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

Bytes readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kelvo-set-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string file(const std::string& name) const { return (dir / name).string(); }

    // A platform-5 RAM image whose bytes differ from sensor to sensor by the seed.
    static void fillPlatform5(Context& ctx, int seed, uint8_t version = 0) {
        for (int a = 0; a < 256; ++a) {
            ctx.RamImage[a] = static_cast<float>((a * 7 + seed) & 0xFF);
            ctx.RamRead[a] = true;
        }
        ctx.RamImage[65] = 231;
        ctx.RamImage[226] = version;
    }

    // A platform-6 EEPROM image (identification byte 222 in RAM 65 and EEPROM 164).
    static void fillPlatform6(Context& ctx, int seed) {
        for (int a = 0; a < 512; ++a) {
            ctx.EeImage[a] = static_cast<float>((a * 3 + seed) & 0xFF);
            ctx.EeRead[a] = true;
        }
        ctx.EeImage[164] = 222;
        ctx.EeImage[58] = 1;  // hardware bytes the load compares
        ctx.EeImage[165] = 3;
        // The same channels on every seed: version 0 (bit 0 of 90 clear, 173 = 6) and the
        // channel-presence bytes.
        ctx.EeImage[90] = static_cast<float>(static_cast<int>(ctx.EeImage[90]) & ~1);
        ctx.EeImage[173] = 6;
        ctx.EeImage[98] = 0x11;
        ctx.EeImage[158] = 0x04;
        ctx.RamImage[65] = 222;
        ctx.RamRead[65] = true;
    }

    fs::path dir;
    test::TestContext t;
};

// --- The container itself ------------------------------------------------------------------

TEST_F(SettingsFileTest, Platform5FileHasOneRamBlockWithoutRam112To127) {
    fillPlatform5(t.ctx, 1);
    ASSERT_TRUE(SaveSettings(t.ctx, 0, file("a.set"), 255, false)) << t.ctx.ErrorText;
    const Bytes bytes = readAll(file("a.set"));
    ASSERT_EQ(bytes.size(), 261u);
    const SetFileParse parsed = ParseSetFile(bytes);
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.layout.writerFlag, 255);
    EXPECT_EQ(parsed.layout.payloadLength, 244);
    EXPECT_EQ(parsed.layout.blockCount, 1);
    ASSERT_EQ(parsed.layout.blocks.size(), 1u);
    EXPECT_EQ(parsed.layout.blocks[0].type, 1);
    EXPECT_EQ(parsed.layout.blocks[0].length, 240);
    for (int i = 7; i < 17; ++i) EXPECT_EQ(bytes[i], 0) << i;
    // The checksum: the sum of the bytes after the header, low 16 bits, low byte first.
    EXPECT_EQ(bytes[1] | bytes[2] << 8, std::accumulate(bytes.begin() + 17, bytes.end(), 0u) & 0xFFFF);
    EXPECT_EQ(bytes[17 + 4 + 111], static_cast<uint8_t>(t.ctx.RamImage[111]));
    EXPECT_EQ(bytes[17 + 4 + 112], static_cast<uint8_t>(t.ctx.RamImage[128]));
    EXPECT_EQ(bytes[17 + 4 + 239], static_cast<uint8_t>(t.ctx.RamImage[255]));

    // Read back, each byte lands on its own address; what the block lacks is cleared.
    t.ctx.ComBuffer.fill(9);
    int type = 1;
    ASSERT_TRUE(ReadSetBlock(t.ctx, file("a.set"), type, true, false));
    for (int a : {0, 111, 128, 255}) EXPECT_EQ(t.ctx.ComBuffer[a], t.ctx.RamImage[a]) << a;
    for (int a : {112, 127, 300, 511}) EXPECT_EQ(t.ctx.ComBuffer[a], 0) << a;
}

TEST_F(SettingsFileTest, NamesWithoutSetExtensionGetOneAndOthersKeepTheirs) {
    fillPlatform5(t.ctx, 1);
    ASSERT_TRUE(SaveSettings(t.ctx, 0, file("config"), 255, false));
    // Another stem than "config": on Windows "CONFIG.SET" would be the same file.
    ASSERT_TRUE(SaveSettings(t.ctx, 0, file("OTHER.SET"), 255, false));
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"config.Set", "OTHER.SET"}));
}

TEST_F(SettingsFileTest, TwoSavesIntoOnePlatform6FileReplaceTheirBlocksInPlace) {
    fillPlatform6(t.ctx, 1);
    SelectAddressList(t.ctx, 13);
    t.ctx.AddressMask[91] = 1;  // the file keeps whatever mask it was given
    t.ctx.EeImage[91] = 19;
    ASSERT_TRUE(SaveSettings(t.ctx, 15, file("p6.Set"), 1, true));
    ASSERT_TRUE(SaveSettings(t.ctx, 10, file("p6.Set"), 1, false));
    fillPlatform6(t.ctx, 2);
    SelectAddressList(t.ctx, 15);
    ASSERT_TRUE(SaveSettings(t.ctx, 15, file("p6.Set"), 1, true));
    ASSERT_TRUE(SaveSettings(t.ctx, 10, file("p6.Set"), 1, false));

    const Bytes bytes = readAll(file("p6.Set"));
    ASSERT_EQ(bytes.size(), 1079u);
    const SetFileParse parsed = ParseSetFile(bytes);
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.layout.blockCount, 2);
    ASSERT_EQ(parsed.layout.blocks.size(), 2u);
    EXPECT_EQ(parsed.layout.blocks[0].type, 15);
    EXPECT_EQ(parsed.layout.blocks[1].type, 10);
    // The second save's contents: list 15 leaves 127 out, list 13 took it whole; the mask
    // block's prefix is cleared.
    EXPECT_EQ(bytes[17 + 4 + 30 + 127], 128);
    EXPECT_EQ(Bytes(bytes.begin() + 17 + 4, bytes.begin() + 17 + 4 + 30), Bytes(30, 0));
    EXPECT_EQ(bytes[17 + 546 + 4 + 0], 2);
}

TEST_F(SettingsFileTest, LastSetIsAlwaysWrittenAnew) {
    fillPlatform6(t.ctx, 1);
    ASSERT_TRUE(SaveSettings(t.ctx, 15, file("Last.SET"), 1, true));
    ASSERT_TRUE(SaveSettings(t.ctx, 10, file("Last.SET"), 1, false));
    const SetFileParse parsed = ParseSetFile(readAll(file("Last.SET")));
    ASSERT_TRUE(parsed.ok());
    ASSERT_EQ(parsed.layout.blocks.size(), 1u);
    EXPECT_EQ(parsed.layout.blocks[0].type, 10);
}

TEST_F(SettingsFileTest, DamagedExistingFileIsWrittenAnewNotExtended) {
    writeAll(file("old.Set"), Bytes(40, 7));
    fillPlatform5(t.ctx, 1);
    ASSERT_TRUE(SaveSettings(t.ctx, 0, file("old.Set"), 255, false));
    EXPECT_EQ(readAll(file("old.Set")).size(), 261u);
}

// --- Reading -------------------------------------------------------------------------------

TEST_F(SettingsFileTest, OneChangedByteIsRefusedAsDamagedAndChangesNothing) {
    fillPlatform5(t.ctx, 1);
    ASSERT_TRUE(SaveSettings(t.ctx, 0, file("a.Set"), 255, false));
    Bytes bytes = readAll(file("a.Set"));
    bytes[100] ^= 0x01;
    writeAll(file("a.Set"), bytes);

    fillPlatform5(t.ctx, 9);
    const auto before = t.ctx.RamImage;
    EXPECT_FALSE(LoadSettings(t.ctx, file("a.Set"), 6));
    EXPECT_EQ(t.ctx.ErrorText, "File is damaged " + file("a.Set"));
    EXPECT_EQ(t.ctx.RamImage, before);
}

TEST_F(SettingsFileTest, FilesAndBlocksReachingPastTheirBytesAreDamaged) {
    fillPlatform6(t.ctx, 1);
    ASSERT_TRUE(SaveSettings(t.ctx, 10, file("p.Set"), 1, false));
    const Bytes good = readAll(file("p.Set"));

    struct Case {
        const char* what;
        Bytes bytes;
        SetFileFault fault;
    };
    std::vector<Case> cases;
    cases.push_back(
        {"truncated", Bytes(good.begin(), good.end() - 100), SetFileFault::LengthMismatch});
    Bytes twoBlocks = good;  // says two blocks, holds one
    twoBlocks[5] = 2;
    cases.push_back({"count", twoBlocks, SetFileFault::BlockOutside});
    Bytes longBlock = MakeSetBlock(7, Bytes(10, 1));
    longBlock[2] = 200;  // block length beyond the file, checksum right
    cases.push_back({"length", MakeSetFile(1, 1, longBlock), SetFileFault::BlockOutside});
    cases.push_back({"wrong length", MakeSetFile(1, 1, MakeSetBlock(10, Bytes(20, 1))),
                     SetFileFault::BadBlockLength});
    cases.push_back(
        {"too long", MakeSetFile(1, 1, MakeSetBlock(7, Bytes(1600, 0))), SetFileFault::TooLong});
    cases.push_back({"short", Bytes(17, 0), SetFileFault::TooShort});
    Bytes empty(30, 0);
    cases.push_back({"empty payload", empty, SetFileFault::EmptyPayload});

    fillPlatform6(t.ctx, 5);
    const auto image = t.ctx.EeImage;
    for (const Case& c : cases) {
        EXPECT_EQ(ParseSetFile(c.bytes).fault, c.fault) << c.what;
        writeAll(file("bad.Set"), c.bytes);
        t.ctx.ErrorText.clear();
        int type = 0;
        EXPECT_FALSE(ReadSetBlock(t.ctx, file("bad.Set"), type, true, true)) << c.what;
        EXPECT_EQ(t.ctx.ErrorText, "File is damaged " + file("bad.Set")) << c.what;
        EXPECT_EQ(t.ctx.EeImage, image) << c.what;
    }
}

TEST_F(SettingsFileTest, MissingFileAndEmptyPathAreNotFound) {
    int type = 0;
    EXPECT_FALSE(ReadSetBlock(t.ctx, file("none.Set"), type, true, true));
    EXPECT_EQ(t.ctx.ErrorText, "File not found " + file("none.Set"));
    t.ctx.ErrorText.clear();
    EXPECT_FALSE(ReadSetBlock(t.ctx, "", type, true, true));
    EXPECT_EQ(t.ctx.ErrorText, "File not found ");
}

TEST_F(SettingsFileTest, BlockSelectionAndMaskBlock) {
    Bytes mask(542, 0);
    mask[30 + 5] = 255;
    mask[30 + 511] = 8;
    Bytes blocks = MakeSetBlock(7, Bytes(3, 9));
    const Bytes eeBlock = MakeSetBlock(10, Bytes(512, 4));
    const Bytes maskBlock = MakeSetBlock(15, mask);
    blocks.insert(blocks.end(), maskBlock.begin(), maskBlock.end());
    blocks.insert(blocks.end(), eeBlock.begin(), eeBlock.end());
    writeAll(file("m.Set"), MakeSetFile(1, 3, blocks));

    int type = 15;
    ASSERT_TRUE(ReadSetBlock(t.ctx, file("m.Set"), type, true, false));
    EXPECT_EQ(t.ctx.AddressMask[5], 255);
    EXPECT_EQ(t.ctx.AddressMask[511], 8);
    EXPECT_EQ(t.ctx.LastMaskBlock[511], 8);
    EXPECT_EQ(t.ctx.EeImage[0], 0);  // not loaded

    type = 0;
    ASSERT_TRUE(ReadSetBlock(t.ctx, file("m.Set"), type, true, true));
    EXPECT_EQ(type, 10);
    EXPECT_EQ(t.ctx.EeImage[0], 4);
    EXPECT_TRUE(t.ctx.EeRead[511]);
    EXPECT_FALSE(t.ctx.EeRead[512]);   // past the block: a large EEPROM's upper half
    EXPECT_EQ(t.ctx.RamImage[65], 4);  // the identification byte's EEPROM copy

    type = 1;
    EXPECT_FALSE(ReadSetBlock(t.ctx, file("m.Set"), type, true, true));
    EXPECT_EQ(t.ctx.ErrorText, "Setfile error");

    writeAll(file("none.Set"), MakeSetFile(1, 0, Bytes(3, 0)));
    t.ctx.ErrorText.clear();
    type = 1;
    EXPECT_TRUE(ReadSetBlock(t.ctx, file("none.Set"), type, true, true));
}

// --- Loading into the image ----------------------------------------------------------------

// List 6 is the settings a window loads; list 8 takes all of RAM, so every byte of the
// block must land on its own address on both sides of the gap at 112..127.
// The zero references are kept against the span words, which list 6 does not carry: they are
// stored again in the target's terms, so the file's references come over as values.
TEST_F(SettingsFileTest, Platform5LoadChangesOnlyTheListedAddresses) {
    const auto references = [](Context& ctx) {
        // Two CO2 tables as a definition gives them, falling from full scale.
        ctx.Definition.loadedIdByte = 231;
        for (int a = 34; a < 34 + 2 * 34; a += 2) {
            const int entry = 60000 - 3000 * ((a - 34) % 34 / 2);
            ctx.EeImage[a] = static_cast<float>(entry >> 8);
            ctx.EeImage[a + 1] = static_cast<float>(entry & 0xFF);
        }
        return std::pair{GetZeroReference(ctx, 0), GetZeroReference(ctx, 1)};
    };
    for (const int list : {6, 8}) {
        SCOPED_TRACE(list);
        fillPlatform5(t.ctx, 1);
        t.ctx.RamImage[223] = t.ctx.RamImage[216];  // both references inside the tables
        t.ctx.RamImage[224] = t.ctx.RamImage[217];
        const auto saved = t.ctx.RamImage;
        const auto savedReferences = references(t.ctx);
        ASSERT_TRUE(SaveSettings(t.ctx, 0, file("s.Set"), 255, false));
        fillPlatform5(t.ctx, 100);
        const auto sensor = t.ctx.RamImage;

        // The whole RAM holds another serial number: taken only when the user says so.
        t.prompter.confirmAnswers = {list == 8};
        ASSERT_TRUE(LoadSettings(t.ctx, file("s.Set"), list)) << t.ctx.ErrorText;
        EXPECT_EQ(t.prompter.questions.size(), list == 8 ? 1u : 0u);
        t.prompter.questions.clear();
        const auto [zero0, zero1] = references(t.ctx);
        EXPECT_NEAR(zero0, savedReferences.first, 2);
        EXPECT_NEAR(zero1, savedReferences.second, 2);
        SelectAddressList(t.ctx, list);
        for (int a = 0; a < 256; ++a) {
            const bool inFile = t.ctx.AddressMask[a] == 255 && (a < 112 || a > 127);
            if (a == 216 || a == 217 || a == 223 || a == 224) continue;  // stored again
            EXPECT_EQ(t.ctx.RamImage[a], inFile ? saved[a] : sensor[a]) << "RAM " << a;
        }
    }
}

TEST_F(SettingsFileTest, Platform5FileFromAnotherVersionIsRefusedAndImageKept) {
    fillPlatform5(t.ctx, 1, 1);
    ASSERT_TRUE(SaveSettings(t.ctx, 0, file("v1.Set"), 255, false));
    fillPlatform5(t.ctx, 50, 0);
    const auto image = t.ctx.RamImage;
    const auto flags = t.ctx.RamRead;
    EXPECT_FALSE(LoadSettings(t.ctx, file("v1.Set"), 6));
    EXPECT_EQ(t.ctx.ErrorText, "This setfile can't be used on this sensor");
    EXPECT_EQ(t.ctx.RamImage, image);
    EXPECT_EQ(t.ctx.RamRead, flags);
}

TEST_F(SettingsFileTest, Platform6LoadUsesTheStoredMaskAndRefusesOtherHardware) {
    fillPlatform6(t.ctx, 1);
    SelectAddressList(t.ctx, 13);
    t.ctx.AddressMask[91] = 1;  // the file keeps whatever mask it was given
    t.ctx.EeImage[91] = 19;
    ASSERT_TRUE(SaveSettings(t.ctx, 15, file("p6.Set"), 1, true));
    ASSERT_TRUE(SaveSettings(t.ctx, 10, file("p6.Set"), 1, false));
    const auto saved = t.ctx.EeImage;

    fillPlatform6(t.ctx, 77);
    const auto sensor = t.ctx.EeImage;
    std::fill(t.ctx.AddressMask.begin(), t.ctx.AddressMask.end(), 0);
    ASSERT_TRUE(LoadSettings(t.ctx, file("p6.Set"), 0)) << t.ctx.ErrorText;
    EXPECT_EQ(t.ctx.EeImage[0], saved[0]);       // list 13: whole byte
    EXPECT_EQ(t.ctx.EeImage[200], sensor[200]);  // outside list 13
    const uint8_t merged90 =
        (static_cast<uint8_t>(sensor[90]) & ~8) | (static_cast<uint8_t>(saved[90]) & 8);
    EXPECT_EQ(t.ctx.EeImage[90], merged90);  // list 13: bit 3 only
    EXPECT_EQ(t.ctx.EeImage[91], (static_cast<uint8_t>(sensor[91]) & ~1) | 1);  // bit 0 only

    // Other hardware (the byte at EEPROM 58, bit 0 of 165, another set of channels, another
    // version with other channels): refused, image and RAM 65 as before.
    for (const auto& [address, value] :
         {std::pair{58, 2.0f}, {165, 2.0f}, {98, 63.0f}, {173, 1.0f}}) {
        fillPlatform6(t.ctx, 77);
        t.ctx.EeImage[address] = value;
        const auto image = t.ctx.EeImage;
        t.ctx.ErrorText.clear();
        EXPECT_FALSE(LoadSettings(t.ctx, file("p6.Set"), 0)) << address;
        EXPECT_EQ(t.ctx.ErrorText, "This setfile can't be used on this sensor");
        EXPECT_EQ(t.ctx.EeImage, image);
        EXPECT_EQ(t.ctx.RamImage[65], 222);
    }
    // A file without its mask block is refused, whatever selection was left from before.
    fillPlatform6(t.ctx, 1);
    ASSERT_TRUE(SaveSettings(t.ctx, 10, file("nomask.Set"), 1, false));
    fillPlatform6(t.ctx, 77);
    const auto image = t.ctx.EeImage;
    t.ctx.AddressMask.fill(255);
    EXPECT_FALSE(LoadSettings(t.ctx, file("nomask.Set"), 0));
    EXPECT_EQ(t.ctx.EeImage, image);
}

TEST_F(SettingsFileTest, Platform61FileFromASiblingProductKeepsTheSensorsIdentity) {
    // Version 1 on both: bit 0 of 165 set, 173 = 1; identification bytes 214 and 215.
    auto fillPlatform61 = [](Context& ctx, uint8_t id, int seed) {
        for (int a = 0; a < 512; ++a) {
            ctx.EeImage[a] = static_cast<float>((a * 5 + seed) & 0xFF);
            ctx.EeRead[a] = true;
        }
        ctx.EeImage[90] = 0;
        ctx.EeImage[164] = id;
        ctx.EeImage[165] = 1;
        ctx.EeImage[173] = 1;
        ctx.RamImage[65] = id;
        ctx.RamRead[65] = true;
    };
    fillPlatform61(t.ctx, 214, 1);
    SelectAddressList(t.ctx, 12);
    ASSERT_TRUE(SaveSettings(t.ctx, 10, file("p61.Set"), 1, false));
    ASSERT_TRUE(SaveSettings(t.ctx, 15, file("p61.Set"), 1, true));
    const float saved32 = t.ctx.EeImage[32];

    fillPlatform61(t.ctx, 215, 9);
    t.ctx.EeRead[200] = false;
    ASSERT_TRUE(LoadSettings(t.ctx, file("p61.Set"), 0)) << t.ctx.ErrorText;
    EXPECT_EQ(t.ctx.EeImage[32], saved32);  // the settings came over
    // Outside the list the sensor keeps its own bytes, and one not read yet stays to be read.
    EXPECT_EQ(t.ctx.EeImage[0], 9);
    EXPECT_FALSE(t.ctx.EeRead[200]);
    EXPECT_EQ(t.ctx.EeImage[164], 215);
    EXPECT_EQ(GetIdByte(t.ctx), 215);
}

// --- Saving safely -------------------------------------------------------------------------

// A full disk is made with a file-size limit in a child process, which only POSIX has.
#ifndef _WIN32
// Runs a save in a child process whose files may not grow past limitBytes, as on a full
// disk; returns whether the save reported success.
bool saveWithFileSizeLimit(const std::function<bool()>& save, rlim_t limitBytes) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{limitBytes, limitBytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(save() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(SettingsFileTest, AnInterruptedSaveLeavesTheOldFileIntact) {
    fillPlatform6(t.ctx, 1);
    SelectAddressList(t.ctx, 13);
    t.ctx.AddressMask[91] = 1;  // the file keeps whatever mask it was given
    t.ctx.EeImage[91] = 19;
    ASSERT_TRUE(SaveSettings(t.ctx, 15, file("keep.Set"), 1, true));
    ASSERT_TRUE(SaveSettings(t.ctx, 10, file("last.set"), 1, false));
    const Bytes keep = readAll(file("keep.Set"));
    const Bytes last = readAll(file("last.set"));

    fillPlatform6(t.ctx, 2);
    EXPECT_FALSE(saveWithFileSizeLimit(
        [&] { return SaveSettings(t.ctx, 10, file("keep.Set"), 1, false); }, 600));
    EXPECT_FALSE(saveWithFileSizeLimit(
        [&] { return SaveSettings(t.ctx, 10, file("last.set"), 1, false); }, 300));

    EXPECT_EQ(readAll(file("keep.Set")), keep);
    EXPECT_EQ(readAll(file("last.set")), last);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2)
        << "a temporary was left behind";
}
#endif

TEST_F(SettingsFileTest, AFailedSaveAppendsTheSystemsReason) {
    fillPlatform5(t.ctx, 1);
    t.ctx.ErrorText = "Before. ";
    EXPECT_FALSE(SaveSettings(t.ctx, 0, file("no folder/x.Set"), 255, false));
    EXPECT_EQ(t.ctx.ErrorText.rfind("Before. ", 0), 0u);
    EXPECT_GT(t.ctx.ErrorText.size(), std::string("Before. ").size() + 2);
    EXPECT_EQ(t.ctx.ErrorText.substr(t.ctx.ErrorText.size() - 2), ", ");
    EXPECT_FALSE(fs::exists(file("no folder")));
}

}  // namespace
}  // namespace kelvo
