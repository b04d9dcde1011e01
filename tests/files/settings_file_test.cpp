#include "files/settings_file.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <numeric>
#include <random>
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

class SettingsFileTest : public test::FolderTest {
protected:
    SettingsFileTest() : FolderTest("kelvo-set-") {}

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

    test::TestContext t;
};

// --- The container itself ------------------------------------------------------------------

// --- Reading -------------------------------------------------------------------------------

// What reading a block of a file must give, written out from the container's layout: the
// header's numbers (low byte first) steer the walk; a file whose numbers do not add up, or
// whose counted blocks leave the file or have a known type's wrong length, is damaged.
struct BlockRead {
    std::string error;  // "" when read
    int type = 0;
    bool copied = false;  // a block of the wanted type was found
    std::array<uint8_t, kComBufferSize> buffer{};
};

// The numbers of the header alone: the file's length, the payload's and the checksum.
bool headerAddsUp(const Bytes& f) {
    const auto word = [&](size_t at) { return f[at] + 256 * f[at + 1]; };
    size_t sum = 0;
    for (size_t i = 17; i < f.size(); ++i) sum += f[i];
    return f.size() >= 18 && f.size() <= 1501 && word(3) != 0 && word(3) == int(f.size()) - 17 &&
           int(sum % 65536) == word(1);
}

BlockRead readAsDefined(const Bytes& f, int wanted) {
    BlockRead r;
    r.type = wanted;
    const auto word = [&](size_t at) { return f[at] + 256 * f[at + 1]; };
    if (!headerAddsUp(f)) return {"damaged"};
    std::vector<std::pair<int, size_t>> blocks;  // type, offset
    for (size_t i = 0, at = 17; i < f[5]; ++i) {
        if (at + 4 > f.size() || at + 4 + word(at + 2) > f.size()) return {"damaged"};
        const int type = word(at), length = word(at + 2);
        const int known = type == 1 ? 240 : type == 10 ? 512 : type == 15 ? 542 : length;
        if (length != known) return {"damaged"};
        blocks.push_back({type, at});
        at += 4 + length;
    }
    for (const auto& [type, at] : blocks) {
        if (r.type == 0 && (type == 1 || type == 10)) r.type = type;
        if (type != r.type) continue;
        for (int i = 0; i < word(at + 2); ++i) {
            const int address = type == 1 && i >= 112 ? i + 16 : i;  // RAM 112..127 not kept
            if (address < kComBufferSize) r.buffer[address] = f[at + 4 + i];
        }
        r.copied = true;
        return r;
    }
    if (!blocks.empty()) r.error = "Setfile error";
    return r;
}

// Generated files read back whole; every single damage to a number in the header or a block
// header (one more, one less, high byte set; with the checksum left or made right again)
// and to the file's length reads exactly as the layout defines, refused or not.
TEST_F(SettingsFileTest, EveryDamageToTheNumbersReadsAsTheLayoutDefines) {
    std::mt19937 random(29);
    // Type 7 is unknown, with a few bytes; type 8 unknown and empty, so a file can end in a
    // block header; type 9 unknown and as long as fills mask and EEPROM to the longest file.
    const std::vector<std::vector<int>> shapes = {{1},       {15, 10}, {10, 15},   {7, 1},
                                                  {1, 7, 10}, {15, 7, 7}, {10, 8}, {15, 10, 9},
                                                  {}};
    const auto blockBytes = [&](int type) {
        const int length = type == 1    ? 240
                           : type == 10 ? 512
                           : type == 15 ? 542
                           : type == 8  ? 0
                           : type == 9  ? 1501 - 17 - 546 - 516 - 4
                                        : int(random() % 9);
        Bytes b = {uint8_t(type), 0, uint8_t(length), uint8_t(length >> 8)};
        for (int i = 0; i < length; ++i) b.push_back(uint8_t(random()));
        return b;
    };
    const auto seal = [](Bytes& f) {
        const size_t payload = f.size() - 17;
        const size_t sum = std::accumulate(f.begin() + 17, f.end(), size_t(0));
        f[1] = uint8_t(sum), f[2] = uint8_t(sum >> 8), f[3] = uint8_t(payload),
        f[4] = uint8_t(payload >> 8);
    };
    const auto check = [&](const Bytes& f, const std::string& what) {
        writeAll(file("f.Set"), f);
        for (const int wanted : {0, 1, 10, 15}) {
            const BlockRead expected = readAsDefined(f, wanted);
            t.ctx.ComBuffer.fill(7);
            t.ctx.ErrorText.clear();
            const auto image = t.ctx.EeImage;
            const auto ram = t.ctx.RamImage;
            const auto mask = t.ctx.AddressMask;
            int type = wanted;
            const bool read = ReadSetBlock(t.ctx, file("f.Set"), type, true, true);
            SCOPED_TRACE(what + ", wanted " + std::to_string(wanted));
            // A header that does not add up is not walked: no block of it is believed.
            ASSERT_TRUE(headerAddsUp(f) || ParseSetFile(f).layout.blocks.empty());
            ASSERT_EQ(read, expected.error.empty());
            ASSERT_EQ(t.ctx.ErrorText, expected.error == "damaged"
                                           ? "File is damaged " + file("f.Set")
                                           : expected.error);
            ASSERT_EQ(t.ctx.ComBuffer, expected.buffer);
            if (!read) {
                ASSERT_TRUE(t.ctx.EeImage == image && t.ctx.RamImage == ram);
                ASSERT_EQ(t.ctx.AddressMask, mask);
                continue;
            }
            ASSERT_EQ(type, expected.type);
            if (!expected.copied) continue;
            const auto& b = expected.buffer;
            const auto same = [&](int from, int to, auto at) {
                return std::equal(&b[from], &b[to], at);
            };
            ASSERT_TRUE(type != 10 ||
                        (same(0, 512, t.ctx.EeImage.begin()) && t.ctx.RamImage[65] == b[164]));
            ASSERT_TRUE(type != 15 || (same(30, 542, t.ctx.AddressMask.begin()) &&
                                       same(30, 542, t.ctx.LastMaskBlock.begin())));
            ASSERT_TRUE(type != 1 || (same(0, 112, t.ctx.RamImage.begin()) &&
                                      same(128, 256, &t.ctx.RamImage[128])));
        }
    };
    check(Bytes{}, "empty"), check(Bytes(17, 0), "17 bytes");
    EXPECT_EQ(ParseSetFile(Bytes(17, 0)).fault, SetFileFault::TooShort);  // a header alone
    // As the windows save them: platform 5 its RAM without 112..127, platform 6 mask and EEPROM;
    // a name gets ".Set" unless it ends so in any case.
    fillPlatform5(t.ctx, 1);
    ASSERT_TRUE(SaveSettings(t.ctx, 0, file("5"), 255, false));
    const Bytes saved5 = readAll(file("5.Set"));
    // Saved twice into one file: the second save replaces both blocks in place.
    for (const auto& [seed, list] : {std::pair{1, 13}, {2, 15}}) {
        fillPlatform6(t.ctx, seed);
        SelectAddressList(t.ctx, list);
        ASSERT_TRUE(SaveSettings(t.ctx, 15, file("6.SET"), 1, true));
        ASSERT_TRUE(SaveSettings(t.ctx, 10, file("6.SET"), 1, false));
    }
    const auto images = std::pair{t.ctx.EeImage, t.ctx.AddressMask};
    // last.set is always written anew: it keeps only the block saved last.
    ASSERT_TRUE(SaveSettings(t.ctx, 15, file("Last.SET"), 1, true));
    ASSERT_TRUE(SaveSettings(t.ctx, 10, file("Last.SET"), 1, false));
    EXPECT_EQ(readAll(file("Last.SET")).size(), 17u + 516);
    const Bytes saved6 = readAll(file("6.SET"));
    EXPECT_TRUE(saved6.size() == 1079 && saved6[5] == 2 && saved6[17] == 15 &&
                saved6[17 + 546] == 10);
    EXPECT_EQ(Bytes(saved6.begin() + 21, saved6.begin() + 51), Bytes(30, 0));  // the mask's prefix
    fillPlatform6(t.ctx, 3);
    t.ctx.AddressMask.fill(0);
    check(saved6, "platform 6 as saved");
    for (int a = 0; a < 512; ++a)
        EXPECT_TRUE(t.ctx.EeImage[a] == images.first[a] &&
                    t.ctx.AddressMask[a] == images.second[a]);
    fillPlatform5(t.ctx, 1);
    const auto ramSaved = t.ctx.RamImage;
    fillPlatform5(t.ctx, 2);
    check(saved5, "platform 5 as saved");
    EXPECT_EQ(Bytes(saved5.begin(), saved5.begin() + 17),
              (Bytes{255, saved5[1], saved5[2], 244, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    for (int a = 0; a < 256; ++a)
        EXPECT_TRUE((a > 111 && a < 128) || t.ctx.RamImage[a] == ramSaved[a]) << a;
    check(Bytes(30, 0), "payload length 0");
    for (const auto& shape : shapes) {
        Bytes f(17, 0);
        f[0] = uint8_t(random());
        f[5] = uint8_t(shape.size());
        std::vector<size_t> headers;
        for (const int type : shape) {
            headers.push_back(f.size());
            const Bytes b = blockBytes(type);
            f.insert(f.end(), b.begin(), b.end());
        }
        if (shape.empty()) f.push_back(1);  // no blocks, yet a payload: the shortest file
        seal(f);
        const std::string name = "blocks " + ::testing::PrintToString(shape);
        check(f, name);
        std::vector<size_t> numbers = {0, 1, 3, 5};
        for (const size_t at : headers) numbers.insert(numbers.end(), {at, at + 2});
        for (const size_t at : numbers) {
            for (const int change : {1, -1, 0x8000}) {
                for (const bool resealed : {false, true}) {
                    Bytes damaged = f;
                    const int width = at == 0 ? 256 : 65536;  // the writer flag is one byte
                    const int old = damaged[at] + (at == 0 ? 0 : 256 * damaged[at + 1]);
                    const int value =
                        change == 0x8000 ? old | width / 2 : (old + change + width) % width;
                    damaged[at] = uint8_t(value);
                    if (at != 0) damaged[at + 1] = uint8_t(value >> 8);
                    if (resealed && (at == 1 || at == 3)) continue;  // sealing undoes these
                    if (resealed) seal(damaged);
                    check(damaged, name + " number at " + std::to_string(at) + " by " +
                                       std::to_string(change) + (resealed ? " resealed" : ""));
                }
            }
        }
        for (const bool resealed : {false, true}) {
            Bytes shorter(f.begin(), f.end() - 1), longer = f;
            longer.push_back(uint8_t(random()));
            if (resealed) seal(shorter), seal(longer);
            check(shorter, name + " one byte shorter" + (resealed ? " resealed" : ""));
            check(longer, name + " one byte longer" + (resealed ? " resealed" : ""));
        }
    }
    // Saving into a damaged file writes it anew rather than extending it.
    writeAll(file("f.Set"), Bytes(40, 7));
    fillPlatform5(t.ctx, 1);
    ASSERT_TRUE(SaveSettings(t.ctx, 0, file("f.Set"), 255, false));
    EXPECT_EQ(readAll(file("f.Set")), saved5);
}

TEST_F(SettingsFileTest, MissingFileAndEmptyPathAreNotFound) {
    int type = 0;
    EXPECT_FALSE(ReadSetBlock(t.ctx, file("none.Set"), type, true, true));
    EXPECT_EQ(t.ctx.ErrorText, "File not found " + file("none.Set"));
    t.ctx.ErrorText.clear();
    EXPECT_FALSE(ReadSetBlock(t.ctx, "", type, true, true));
    EXPECT_EQ(t.ctx.ErrorText, "File not found ");
#ifndef _WIN32
    // A file the system cannot open gives the system's reason, when asked for and only then.
    fs::create_symlink(file("loop.Set"), file("loop.Set"));
    t.ctx.ErrorText.clear();
    EXPECT_FALSE(ReadSetBlock(t.ctx, file("loop.Set"), type, false, true));
    EXPECT_EQ(t.ctx.ErrorText, "");
    fillPlatform5(t.ctx, 1);
    EXPECT_FALSE(LoadSettings(t.ctx, file("loop.Set"), 6));
    EXPECT_EQ(t.ctx.ErrorText, std::generic_category().message(ELOOP));
#endif
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
        // Bytes never read stay unread unless the file brings them.
        for (int a = 240; a < 256; a += 3) t.ctx.RamRead[a] = false;
        const auto sensorRead = t.ctx.RamRead;

        // The whole RAM holds another serial number: taken only when the user says so.
        t.prompter.confirmAnswers = {list == 8};
        ASSERT_TRUE(LoadSettings(t.ctx, file("s.Set"), list)) << t.ctx.ErrorText;
        const std::string serial = "The settings file " + file("s.Set") +
                                   " would change the sensor's identity: RAM 66-67 (serial "
                                   "number). Use it anyway?";
        EXPECT_EQ(t.prompter.questions, std::vector<std::string>(list == 8, serial));
        t.prompter.questions.clear();
        const auto [zero0, zero1] = references(t.ctx);
        EXPECT_NEAR(zero0, savedReferences.first, 2);
        EXPECT_NEAR(zero1, savedReferences.second, 2);
        SelectAddressList(t.ctx, list);
        for (int a = 0; a < 256; ++a) {
            const bool inFile = t.ctx.AddressMask[a] == 255 && (a < 112 || a > 127);
            if (a == 216 || a == 217 || a == 223 || a == 224) continue;  // stored again
            EXPECT_EQ(t.ctx.RamImage[a], inFile ? saved[a] : sensor[a]) << "RAM " << a;
            EXPECT_EQ(t.ctx.RamRead[a], inFile || sensorRead[a]) << "RAM " << a;
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
    // A block type the container has no length for is no file at all.
    t.ctx.ErrorText.clear();
    EXPECT_FALSE(SaveSettings(t.ctx, 2, file("two.Set"), 255, false));
    EXPECT_EQ(t.ctx.ErrorText, "Can't save settings.");
    EXPECT_FALSE(fs::exists(file("two.Set")));
}

}  // namespace
}  // namespace kelvo
