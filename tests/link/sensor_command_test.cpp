#include "link/sensor_command.h"

#include <gtest/gtest.h>

#include "common/id_byte.h"
#include "link/scripted_line.h"

namespace kelvo {
namespace {

using test::WiredContext;

TEST(SensorCommandFrames, TwaResetOnProtocol2) {
    WiredContext w;
    w.identify(80);
    ASSERT_TRUE(SensorCommand(w.ctx, kTwaReset, false));
    EXPECT_EQ(w.line.writes, (std::vector<Bytes>{{254}, {185}, {1}, {186}}));
    EXPECT_EQ(w.ctx.StatusText, "TWA reset");
    EXPECT_FALSE(w.line.isOpen());
}

TEST(SensorCommandFrames, Platform6UnlockResetsTheTmoCounterFirstOnOnePort) {
    WiredContext w;
    w.identify(88);
    w.ctx.RamImage[kRamIdByte] = 87.6f;  // edited to a fraction: the nearest whole byte, 88
    ASSERT_TRUE(SensorCommand(w.ctx, kUnlockEeprom, true));
    EXPECT_EQ(w.frames(), (std::vector<Bytes>{{65, 102, 1, 168}, {144, 0, 144}}));
    EXPECT_EQ(w.line.opens, 1);
    EXPECT_TRUE(w.line.isOpen());
    EXPECT_FALSE(w.line.eepromLocked);
}

TEST(SensorCommandFrames, LockAnsweredWith134CountsAsLocked) {
    WiredContext w;
    w.identify(80);
    w.line.ackStatus = 134;
    w.line.eepromLocked = false;
    EXPECT_TRUE(SensorCommand(w.ctx, kLockEeprom, false));
    EXPECT_TRUE(w.line.eepromLocked);
}

// Refused at once, before anything is sent: protocol 1 has no ID or TWA frame, an unidentified
// sensor keeps identification's message, and a message already set is kept.
TEST(SensorCommandFailures, RefusedAtOnceWithItsMessage) {
    const struct {
        uint8_t id;
        int command;
        const char* errorBefore;
        const char* error;
    } cases[] = {{88, 4, "", "Can't save ID to sensor"}, {88, 5, "", "Can't reset TWA"},
                 {0, kSaveToRam, "", "Unknown product"}, {80, kSaveToRam, "Avbryt", "Avbryt"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        WiredContext w;
        w.identify(c.id);
        w.ctx.ErrorText = c.errorBefore;
        const int64_t start = w.now();
        EXPECT_FALSE(SensorCommand(w.ctx, c.command, false));
        EXPECT_EQ(w.ctx.ErrorText, c.error);
        EXPECT_TRUE(w.line.writes.empty());
        EXPECT_EQ(w.now(), start);
    }
}

TEST(SensorCommandFailures, SilentLineTakesAHundredShortAttempts) {
    WiredContext w;
    w.identify(80);
    w.line.answersHandshake = false;
    const int64_t start = w.now();
    EXPECT_FALSE(SensorCommand(w.ctx, kLockEeprom, false));
    EXPECT_EQ(w.line.handshakes, 100);
    EXPECT_EQ(w.line.openedAfter, (std::vector<int>{0, 50}));
    EXPECT_GE(w.now() - start, 100 * 20);
    EXPECT_LE(w.now() - start, 100 * 20 + 50);
    EXPECT_EQ(w.ctx.ErrorText, "Can't lock EEPROM");
}

TEST(SensorCommandFailures, RefusalsAreRetried) {
    WiredContext w;
    w.identify(80);
    w.line.refuseFrames = 2;
    EXPECT_TRUE(SensorCommand(w.ctx, kSaveToRam, false));
    EXPECT_EQ(w.frames().size(), 3u);
}

TEST(SensorCommandFailures, FailedTmoResetFailsTheUnlockWithTheWritesMessage) {
    WiredContext w;
    w.identify(88);
    w.line.refuseWrites = true;
    EXPECT_FALSE(SensorCommand(w.ctx, kUnlockEeprom, false));
    EXPECT_EQ(w.ctx.ErrorText, "Can't save to sensor");
    for (const Bytes& frame : w.frames()) EXPECT_EQ(frame, (Bytes{65, 102, 1, 168}));
}

}  // namespace
}  // namespace kelvo
