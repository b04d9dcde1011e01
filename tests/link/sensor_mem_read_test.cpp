#include "link/sensor_mem_read.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <tuple>

#include "link/scripted_line.h"

namespace kelvo {
namespace {

using test::WiredContext;

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool readRam(Context& ctx, float address, uint8_t count, uint8_t maxTries = 100) {
    bool report = true;
    return SensorMemRead(ctx, 0, address, count, false, false, maxTries, report);
}

TEST(SensorMemReadFrames, IdentificationByteFrameAndImage) {
    for (const bool keepOpen : {false, true}) {
        WiredContext w;
        w.line.ram[65] = 33;
        ASSERT_TRUE(SensorMemRead(w.ctx, 0, 65, 1, false, keepOpen));
        EXPECT_EQ(w.line.writes, (std::vector<Bytes>{{254}, {129}, {65}, {194}}));
        EXPECT_EQ(w.ctx.RamImage[65], 33);
        EXPECT_EQ(w.ctx.RamLast[65], 33);
        EXPECT_TRUE(w.ctx.RamRead[65]);
        EXPECT_FALSE(w.ctx.RamRead[66]);
        EXPECT_EQ(w.line.isOpen(), keepOpen);
        EXPECT_EQ(w.ctx.AddressMask[65], 255);
        EXPECT_EQ(w.ctx.StatusText, "");
    }
}

// The frames a read sends for its selection, and the image and selection it leaves: a list
// read keeps the caller's selection, even when the sensor is identified first on the same
// opening of the port; a range becomes the selection, nothing around it. Partial masks select
// nothing for reading: with no byte wholly selected the line stays quiet.
TEST(SensorMemReadFrames, EachSelectionSendsItsFramesAndFillsTheImage) {
    const struct {
        const char* name;
        ReadRequest read;
        uint8_t id;  // identified without a read; 0: read first, 32: the large EEPROM
        std::vector<std::pair<int, uint8_t>> masks;
        std::vector<Bytes> frames;
        std::vector<int> known, unknown = {};  // bytes the read brings in, and some it does not
    } cases[] = {
        {"small EEPROM words: one six-byte block", {eepromRange(0, 0)}, 88,
         {{10, 255}, {11, 255}, {15, 255}}, {{142, 5, 147}}, {10, 11, 12, 13, 14, 15}, {16}},
        {"a second word's low byte alone: one four-byte block", {eepromRange(0, 0)}, 88,
         {{10, 255}, {12, 255}}, {{140, 5, 145}}, {10, 13}},
        {"identified first", {eepromRange(0, 0)}, 0, {{10, 255}}, {{131, 65, 196}, {138, 5, 143}},
         {10}},
        {"RAM blocks stop at the half", {ramRange(126, 4)}, 0, {}, {{130, 126, 0}, {194, 0, 194}},
         {128}},
        {"the large EEPROM's two address bytes", {eepromRange(1000, 3)}, 32, {},
         {{140, 3, 232, 119}}, {1001}},
        {"nothing wholly selected", {ramRange(0, 0)}, 0, {{40, 128}, {41, 254}}, {}, {}, {40, 41}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WiredContext w;
        if (c.id) w.identify(c.id);
        w.line.largeEeprom = c.id == 32;
        w.line.ram[65] = 80;
        for (int a = 0; a < 1024; ++a) w.line.eeprom[a] = static_cast<uint8_t>(100 + a);
        for (int a = 66; a < 256; ++a) w.line.ram[a] = static_cast<uint8_t>(a);
        for (const auto& [a, mask] : c.masks) w.ctx.AddressMask[a] = mask;
        auto selection = w.ctx.AddressMask;
        if (c.read.span.count) {
            selection.fill(0);
            std::fill_n(&selection[c.read.span.address], c.read.span.count, 255);
        }
        ASSERT_TRUE(SensorMemRead(w.ctx, c.read));
        EXPECT_EQ(w.frames(), c.frames);
        EXPECT_EQ(w.line.opens, c.frames.empty() ? 0 : 1);  // one claim of the port for all
        EXPECT_TRUE(!c.frames.empty() || w.line.writes.empty());
        EXPECT_EQ(w.ctx.AddressMask, selection);
        const bool eeprom = c.read.span.eeprom;
        for (int a : c.known) {
            EXPECT_TRUE(eeprom ? w.ctx.EeRead[a] : w.ctx.RamRead[a]) << a;
            EXPECT_EQ(eeprom ? w.ctx.EeImage[a] : w.ctx.RamImage[a],
                      eeprom ? w.line.eeprom[a] : w.line.ram[a]) << a;
        }
        for (int a : c.unknown) EXPECT_FALSE(eeprom ? w.ctx.EeRead[a] : w.ctx.RamRead[a]) << a;
    }
}

// A refusal and a bad checksum are retried; status 134 acknowledges as 6 does.
TEST(SensorMemReadRetries, RefusalAndBadChecksumAreRetried) {
    for (const auto& [status, refused, corrupted, handshakes] :
         {std::tuple<uint8_t, int, int, int>{134, 0, 0, 1}, {6, 1, 1, 3}}) {
        WiredContext w;
        w.line.ackStatus = status;
        w.line.refuseFrames = refused;
        w.line.corruptChecksums = corrupted;
        w.line.ram[65] = 1;
        ASSERT_TRUE(readRam(w.ctx, 65, 1));
        EXPECT_EQ(w.line.handshakes, handshakes);
        EXPECT_EQ(w.ctx.RamImage[65], 1);
    }
}

// The ten requests-to-send go out and the wake does not; or the first goes out and the
// request frame does not.
TEST(SensorMemReadRetries, AByteThatCannotBeSentEndsTheRead) {
    for (const auto& [ignored, allowed, handshakes] : {std::tuple{15, 10, 10}, {0, 1, 1}}) {
        WiredContext w;
        w.line.ignoreHandshakes = ignored;
        w.line.writesAllowed = allowed;
        EXPECT_FALSE(readRam(w.ctx, 65, 1));
        EXPECT_EQ(w.line.handshakes, handshakes);
        EXPECT_EQ(w.line.failedWrites, 1) << allowed;
    }
}

TEST(SensorMemReadRetries, LineWakeAtTenAndReopenAtFifteenInOneBlock) {
    WiredContext w;
    w.line.ignoreHandshakes = 15;
    ASSERT_TRUE(readRam(w.ctx, 65, 1));
    EXPECT_EQ(w.line.handshakes, 16);
    EXPECT_EQ(w.line.dtr, (std::vector<bool>{true, false}));
    EXPECT_EQ(w.line.openedAfter, (std::vector<int>{0, 15}));
    // "ATO" goes out one byte at a time after the tenth attempt's request-to-send.
    std::vector<Bytes> expected;
    for (int k = 0; k < 10; ++k) expected.push_back({254});
    expected.insert(expected.end(), {{'A'}, {'T'}, {'O'}});
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), w.line.writes.begin()));
}

TEST(SensorMemReadRetries, DeadLineGivesUpAfterAHundredAttemptsPerBlock) {
    WiredContext w;
    w.line.answersHandshake = false;
    const int64_t start = w.now();
    EXPECT_FALSE(SensorMemRead(w.ctx, 0, 60, 10, false, false));  // the first of two blocks never ends
    EXPECT_EQ(w.line.handshakes, 100);
    EXPECT_GE(w.now() - start, 100 * 105);
    EXPECT_LE(w.now() - start, 100 * 105 + 50);
    EXPECT_EQ(w.ctx.ErrorText, "Can't read from sensor");
    EXPECT_FALSE(w.line.isOpen());
}

// How a read that cannot finish ends: the attempts it makes and the message it leaves. A
// message set before or during the read is a Cancel and is kept; an unreported read leaves none.
TEST(SensorMemReadRetries, AReadThatCannotFinishEndsWithItsMessage) {
    const struct {
        const char* name;
        ReadRequest read = {ramRange(60, 1)};
        int cancelAt = -1;  // the handshake at which a Cancel comes
        const char* errorBefore = "";
        bool openable = true;
        bool vanishes = false;  // the port cannot be opened again once the line was tried
        int handshakes;
        const char* error = "Can't read from sensor";
    } cases[] = {
        {.name = "three tries, unreported", .read = {ramRange(60, 1), false, 3, false},
         .handshakes = 3, .error = ""},
        {.name = "cancelled", .cancelAt = 3, .handshakes = 3, .error = "Avbryt"},
        {.name = "cancelled before", .errorBefore = "earlier", .handshakes = 0, .error = "earlier"},
        {.name = "port will not open", .openable = false, .handshakes = 0},
        {.name = "port vanishes: the read ends at the reopen", .vanishes = true, .handshakes = 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WiredContext w;
        w.line.answersHandshake = false;
        w.line.openable = c.openable;
        w.ctx.ErrorText = c.errorBefore;
        w.t.pump.onEvents([&] {
            if (w.line.handshakes == c.cancelAt) w.ctx.ErrorText = "Avbryt";
            if (c.vanishes && w.line.handshakes > 0) w.line.openable = false;
        });
        EXPECT_FALSE(SensorMemRead(w.ctx, c.read));
        EXPECT_EQ(w.line.handshakes, c.handshakes);
        EXPECT_EQ(w.ctx.ErrorText, c.error);
    }
}

TEST(SensorMemReadCancel, BlocksReadBeforeAFailureStay) {
    WiredContext w;
    w.line.ram[10] = 5;
    w.t.pump.onEvents([&] {
        if (w.frames().size() == 1) w.line.answersHandshake = false;
    });
    EXPECT_FALSE(readRam(w.ctx, 10, 12));
    EXPECT_TRUE(w.ctx.RamRead[10]);
    EXPECT_EQ(w.ctx.RamImage[10], 5);
    EXPECT_FALSE(w.ctx.RamRead[17]);
}

// The communication log: one block of lines per read, a line per attempt showing what went
// wrong, a failed read and a list read by their call, no request of the large EEPROM, and no
// file at all while logging is off.
TEST(SensorMemReadLog, EachReadLeavesItsBlockOfLines) {
    const std::string plain =
        "READ(0 65 1 False)\r\n RTS(254) CTR(223) MR(129 65 194) DC(6 33 39)\r\n";
    const struct {
        const char* name;
        ReadRequest read = {ramRange(65, 1)};
        int faults = 0;  // a handshake ignored, a frame refused, a checksum corrupted
        int wrongClearToSends = 0;
        float sensorAddress = kSingleSensorAddress;
        uint8_t id = 0;  // identified without a read; 32: the large EEPROM
        const char* errorBefore = "";
        bool logging = true;
        bool ok = true;
        std::optional<std::string> log = {};  // after each read; none: no file
        int reads = 1;
    } cases[] = {
        {.name = "two reads", .log = plain, .reads = 2},
        {.name = "retries", .faults = 1,
         .log = "READ(0 65 1 False)\r\n RTS(254) CTR()\r\n"
                // A lone refusal byte is shorter than a reply.
                " RTS(254) CTR(223) MR(129 65 194) DC()\r\n"
                " RTS(254) CTR(223) MR(129 65 194) DC(6 33 40) 40\r\n"
                " RTS(254) CTR(223) MR(129 65 194) DC(6 33 39)\r\n"},
        {.name = "a wrong clear-to-send", .wrongClearToSends = 1,
         .log = "READ(0 65 1 False)\r\n RTS(254) CTR(21)\r\n"
                " RTS(254) CTR(223) MR(129 65 194) DC(6 33 39)\r\n"},
        {.name = "a network sensor, two blocks", .read = {ramRange(127, 2)}, .sensorAddress = 3,
         .log = "READ(0 127 2 False)\r\n RTS(227) CTR(223) MR(129 127 0) DC(6 1 7)\r\n"
                " RTS(227) CTR(223) MR(193 0 193) DC(6 2 8)\r\n"},
        {.name = "a failed list read", .read = {eepromList(30)}, .id = 88, .errorBefore = "Avbryt",
         .ok = false, .log = "READ(30 0 0 True)\r\n"},
        {.name = "the large EEPROM", .read = {eepromRange(600, 1)}, .id = 32,
         .log = "READ(0 600 1 True)\r\n RTS(254) CTR(223) DC(6 0 6)\r\n"},
        {.name = "logging off", .logging = false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const test::WorkingFolder folder("kelvo-comlog");
        const std::filesystem::path log = folder.path / "ComLogg.txt";
        WiredContext w;
        w.ctx.AppDir = folder.path.string();
        w.ctx.ComLogEnabled = c.logging;
        w.ctx.SensorAddress = c.sensorAddress;
        w.ctx.ErrorText = c.errorBefore;
        if (c.id) w.identify(c.id);
        w.line.largeEeprom = c.id == 32;
        w.line.ignoreHandshakes = w.line.refuseFrames = w.line.corruptChecksums = c.faults;
        w.line.wrongClearToSends = c.wrongClearToSends;
        w.line.ram[65] = 33;
        w.line.ram[127] = 1;
        w.line.ram[128] = 2;
        std::string expected;
        for (int k = 0; k < c.reads; ++k) {
            ASSERT_EQ(SensorMemRead(w.ctx, c.read), c.ok);
            expected += c.log.value_or("");
            if (c.log)
                EXPECT_EQ(fileText(log), expected);
            else
                EXPECT_FALSE(std::filesystem::exists(log));
        }
    }
}

}  // namespace
}  // namespace kelvo
