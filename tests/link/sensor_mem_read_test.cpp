#include "link/sensor_mem_read.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

TEST(SensorMemReadFrames, SmallEepromWordsFormOneSixByteBlock) {
    WiredContext w;
    w.identify(88);
    for (int a : {10, 11, 15}) w.ctx.AddressMask[a] = 255;
    for (int a = 0; a < 20; ++a) w.line.eeprom[a] = static_cast<uint8_t>(100 + a);
    bool report = true;
    ASSERT_TRUE(SensorMemRead(w.ctx, 0, 0, 0, true, false, 100, report));
    EXPECT_EQ(w.frames(), (std::vector<Bytes>{{142, 5, 147}}));
    for (int a = 10; a <= 15; ++a) EXPECT_EQ(w.ctx.EeImage[a], 100 + a) << a;
    EXPECT_TRUE(w.ctx.EeRead[12]);
    EXPECT_FALSE(w.ctx.EeRead[16]);
    // Two words with the second one's low byte alone selected: one four-byte block.
    WiredContext v;
    v.identify(88);
    v.ctx.AddressMask[10] = v.ctx.AddressMask[12] = 255;
    ASSERT_TRUE(SensorMemRead(v.ctx, 0, 0, 0, true, false, 100, report));
    EXPECT_EQ(v.frames(), (std::vector<Bytes>{{140, 5, 145}}));
}

TEST(SensorMemReadFrames, IdentifyingTheSensorFirstKeepsTheSelection) {
    WiredContext w;
    w.line.ram[65] = 80;
    w.ctx.AddressMask[10] = 255;
    bool report = true;
    ASSERT_TRUE(SensorMemRead(w.ctx, 0, 0, 0, true, false, 100, report));
    EXPECT_EQ(w.frames(), (std::vector<Bytes>{{131, 65, 196}, {138, 5, 143}}));
    EXPECT_EQ(w.line.opens, 1);  // one claim of the port for both
    EXPECT_EQ(w.ctx.AddressMask[10], 255);
    EXPECT_EQ(w.ctx.AddressMask[65], 0);
}

TEST(SensorMemReadFrames, RamBlocksStopAtTheHalf) {
    WiredContext w;
    w.line.ram[128] = 9;
    ASSERT_TRUE(readRam(w.ctx, 126, 4));
    EXPECT_EQ(w.frames(), (std::vector<Bytes>{{130, 126, 0}, {194, 0, 194}}));
    EXPECT_EQ(w.ctx.RamImage[128], 9);
    // The range is the selection now, nothing around it.
    for (int a : {0, 125, 130, 255}) EXPECT_EQ(w.ctx.AddressMask[a], 0) << a;
    EXPECT_EQ(w.ctx.AddressMask[126], 255);
}

TEST(SensorMemReadFrames, LargeEepromUsesTwoAddressBytes) {
    WiredContext w;
    w.identify(32);
    w.line.largeEeprom = true;
    w.line.eeprom[1001] = 77;
    ASSERT_TRUE(SensorMemRead(w.ctx, 0, 1000, 3, true, false));
    EXPECT_EQ(w.frames(), (std::vector<Bytes>{{140, 3, 232, 119}}));
    EXPECT_EQ(w.ctx.EeImage[1001], 77);
}

// Partial masks select nothing for reading: with no byte wholly selected the line stays quiet.
TEST(SensorMemReadFrames, NothingWhollySelectedSendsNothing) {
    WiredContext w;
    w.ctx.AddressMask[40] = 128;
    w.ctx.AddressMask[41] = 254;
    bool report = true;
    EXPECT_TRUE(SensorMemRead(w.ctx, 0, 0, 0, false, false, 100, report));
    EXPECT_TRUE(w.line.writes.empty());
    EXPECT_EQ(w.line.opens, 0);
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

TEST(SensorMemReadRetries, MaxTriesBoundsTheAttempts) {
    WiredContext w;
    w.line.answersHandshake = false;
    bool report = false;
    EXPECT_FALSE(SensorMemRead(w.ctx, 0, 60, 1, false, false, 3, report));
    EXPECT_EQ(w.line.handshakes, 3);
    EXPECT_EQ(w.ctx.ErrorText, "");  // not reported
}

TEST(SensorMemReadCancel, ErrorTextEndsTheReadAndIsKept) {
    WiredContext w;
    w.line.answersHandshake = false;
    w.t.pump.onEvents([&] {
        if (w.line.handshakes == 3) w.ctx.ErrorText = "Avbryt";
    });
    EXPECT_FALSE(readRam(w.ctx, 60, 1));
    EXPECT_EQ(w.line.handshakes, 3);
    EXPECT_EQ(w.ctx.ErrorText, "Avbryt");
}

TEST(SensorMemReadCancel, ErrorTextAlreadySetFailsAtOnce) {
    WiredContext w;
    w.ctx.ErrorText = "earlier";
    EXPECT_FALSE(readRam(w.ctx, 60, 1));
    EXPECT_EQ(w.line.handshakes, 0);
    EXPECT_EQ(w.ctx.ErrorText, "earlier");
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

TEST(SensorMemReadFaults, PortThatCannotOpenFails) {
    WiredContext w;
    w.line.openable = false;
    EXPECT_FALSE(readRam(w.ctx, 60, 1));
    EXPECT_EQ(w.ctx.ErrorText, "Can't read from sensor");
}

TEST(SensorMemReadFaults, PortThatVanishesEndsTheReadAtTheReopen) {
    WiredContext w;
    w.line.answersHandshake = false;
    w.t.pump.onEvents([&] {
        if (w.line.handshakes > 0) w.line.openable = false;
    });
    EXPECT_FALSE(readRam(w.ctx, 60, 1));
    EXPECT_EQ(w.line.handshakes, 15);
    EXPECT_EQ(w.ctx.ErrorText, "Can't read from sensor");
}

class SensorMemReadLog : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("kelvo_log_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        w.ctx.AppDir = dir.string();
        w.ctx.ComLogEnabled = true;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string log() const { return fileText(dir / "ComLogg.txt"); }

    std::filesystem::path dir;
    WiredContext w;
};

TEST_F(SensorMemReadLog, OneReadOneBlockOfLines) {
    w.line.ram[65] = 33;
    ASSERT_TRUE(readRam(w.ctx, 65, 1));
    EXPECT_EQ(log(), "READ(0 65 1 False)\r\n RTS(254) CTR(223) MR(129 65 194) DC(6 33 39)\r\n");
    ASSERT_TRUE(readRam(w.ctx, 65, 1));
    EXPECT_EQ(log(), std::string("READ(0 65 1 False)\r\n RTS(254) CTR(223) MR(129 65 194) "
                                 "DC(6 33 39)\r\n") +
                         "READ(0 65 1 False)\r\n RTS(254) CTR(223) MR(129 65 194) DC(6 33 39)\r\n");
}

TEST_F(SensorMemReadLog, RetriesShowWhatWentWrong) {
    w.line.ram[65] = 33;
    w.line.ignoreHandshakes = 1;
    w.line.refuseFrames = 1;
    w.line.corruptChecksums = 1;
    ASSERT_TRUE(readRam(w.ctx, 65, 1));
    EXPECT_EQ(log(),
              "READ(0 65 1 False)\r\n"
              " RTS(254) CTR()\r\n"
              // A lone refusal byte is shorter than a reply.
              " RTS(254) CTR(223) MR(129 65 194) DC()\r\n"
              " RTS(254) CTR(223) MR(129 65 194) DC(6 33 40) 40\r\n"
              " RTS(254) CTR(223) MR(129 65 194) DC(6 33 39)\r\n");
}

TEST_F(SensorMemReadLog, AWrongClearToSendIsLoggedAndRetried) {
    w.line.ram[65] = 33;
    w.line.wrongClearToSends = 1;
    ASSERT_TRUE(readRam(w.ctx, 65, 1));
    EXPECT_EQ(log(),
              "READ(0 65 1 False)\r\n"
              " RTS(254) CTR(21)\r\n"
              " RTS(254) CTR(223) MR(129 65 194) DC(6 33 39)\r\n");
}

TEST_F(SensorMemReadLog, NetworkSensorAndBlocksFollowEachOther) {
    w.ctx.SensorAddress = 3;
    w.line.ram[127] = 1;
    w.line.ram[128] = 2;
    ASSERT_TRUE(readRam(w.ctx, 127, 2));
    EXPECT_EQ(log(),
              "READ(0 127 2 False)\r\n"
              " RTS(227) CTR(223) MR(129 127 0) DC(6 1 7)\r\n"
              " RTS(227) CTR(223) MR(193 0 193) DC(6 2 8)\r\n");
}

TEST_F(SensorMemReadLog, FailedReadIsLoggedAndListReadsNameTheirList) {
    w.identify(88);
    w.ctx.ErrorText = "Avbryt";
    EXPECT_FALSE(SensorMemRead(w.ctx, 30, 0, 0, true, false));
    EXPECT_EQ(log(), "READ(30 0 0 True)\r\n");
}

TEST_F(SensorMemReadLog, LargeEepromRequestIsNotLogged) {
    w.identify(32);
    w.line.largeEeprom = true;
    ASSERT_TRUE(SensorMemRead(w.ctx, 0, 600, 1, true, false));
    EXPECT_EQ(log(), "READ(0 600 1 True)\r\n RTS(254) CTR(223) DC(6 0 6)\r\n");
}

TEST_F(SensorMemReadLog, NothingIsLoggedWhileLoggingIsOff) {
    w.ctx.ComLogEnabled = false;
    ASSERT_TRUE(readRam(w.ctx, 65, 1));
    EXPECT_FALSE(std::filesystem::exists(dir / "ComLogg.txt"));
}

}  // namespace
}  // namespace kelvo
