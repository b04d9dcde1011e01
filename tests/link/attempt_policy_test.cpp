// The three transactions' attempt policies as a user of a slow or stubborn sensor meets
// them: how long each waits for a reply, when a Cancel takes effect, and what the
// progress dialog is shown meanwhile.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "link/scripted_line.h"
#include "link/sensor_command.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"

namespace kelvo {
namespace {

using test::WiredContext;

// A sensor that answers every request-to-send 1 ms later but never a frame.
struct MuteSensor : WiredContext {
    MuteSensor() {
        line.answersFrames = false;
        identify(80);
    }
};

int64_t readTime(uint8_t maxTries) {
    MuteSensor w;
    const int64_t start = w.now();
    bool report = true;
    EXPECT_FALSE(SensorMemRead(w.ctx, 0, 60, 1, false, false, maxTries, report));
    EXPECT_EQ(w.line.handshakes, maxTries);
    return w.now() - start;
}

TEST(AttemptPolicy, ReadWaits200MsForAReply) {
    // Pause 5, clear-to-send after 1, settle 8, reply wait 200.
    EXPECT_EQ(readTime(3) - readTime(2), 5 + 1 + 8 + 200);
}

TEST(AttemptPolicy, WriteWaitsASecondForTheStatusAndGivesUpAfterTen) {
    MuteSensor w;
    const int64_t start = w.now();
    EXPECT_FALSE(SensorMemWrite(w.ctx, 0, 100, 1, false, false, false, false, false, true));
    EXPECT_EQ(w.line.handshakes, 10);
    EXPECT_EQ(w.now() - start, 10 * (5 + 1 + 8 + 1000) + 5);
    EXPECT_EQ(w.ctx.ErrorText, "Can't save to sensor");
}

TEST(AttemptPolicy, CommandWaitsThreeSecondsForTheStatusWithoutPauses) {
    MuteSensor w;
    const int64_t start = w.now();
    EXPECT_FALSE(SensorCommand(w.ctx, kSaveToRam, false));
    EXPECT_EQ(w.line.handshakes, 100);
    EXPECT_EQ(w.now() - start, 100 * (1 + 8 + 3000));
    EXPECT_EQ(w.ctx.ErrorText, "Can't save to RAM");
}

TEST(AttemptPolicy, WriteFinishesItsBlocksAttemptsAfterACancel) {
    // The write looks at ErrorText only between blocks; a block it has started runs out
    // its attempts, and the cancel is what the caller sees.
    WiredContext w;
    w.line.refuseWrites = true;
    w.t.pump.onEvents([&] {
        if (w.frames().size() == 2) w.ctx.ErrorText = "Avbryt";
    });
    EXPECT_FALSE(SensorMemWrite(w.ctx, 0, 100, 8, false, false, false, false, false, true));
    EXPECT_EQ(w.frames().size(), 10u);
    EXPECT_EQ(w.ctx.ErrorText, "Avbryt");
}

TEST(AttemptPolicy, CommandStopsAtTheNextAttemptAfterACancel) {
    WiredContext w;
    w.identify(80);
    w.line.refuseFrames = 1000;
    w.t.pump.onEvents([&] {
        if (w.frames().size() == 3) w.ctx.ErrorText = "Avbryt";
    });
    EXPECT_FALSE(SensorCommand(w.ctx, kLockEeprom, false));
    EXPECT_EQ(w.frames().size(), 3u);
    EXPECT_EQ(w.ctx.ErrorText, "Avbryt");
}

// What the progress dialog would show: every change of ProgressPercent and StatusText
// that an event handler can see. ProgressPercent starts at 77 and keeps that value
// until the first block sets it.
struct Shown {
    std::vector<int> percents;
    std::vector<std::string> statuses;
};

void watch(WiredContext& w, Shown& shown) {
    w.ctx.ProgressPercent = 77;
    w.t.pump.onEvents([&w, &shown] {
        if (shown.percents.empty() || shown.percents.back() != w.ctx.ProgressPercent)
            shown.percents.push_back(w.ctx.ProgressPercent);
        if (shown.statuses.empty() || shown.statuses.back() != w.ctx.StatusText)
            shown.statuses.push_back(w.ctx.StatusText);
    });
}

TEST(Progress, ReadCountsWantedBytesAndCapsAt100) {
    WiredContext w;
    w.identify(80);
    Shown shown;
    watch(w, shown);
    // Wanted: 0, 4, 5 and 100; the first block also reads 1..3, so the second starts at
    // 6 of 4 and is shown as 100.
    for (int a : {0, 5, 100}) w.ctx.AddressMask[a] = 255;
    bool report = true;
    ASSERT_TRUE(SensorMemRead(w.ctx, 0, 0, 0, true, false, 100, report));
    EXPECT_EQ(shown.percents, (std::vector<int>{77, 0, 100}));
    EXPECT_EQ(shown.statuses, std::vector<std::string>{"Reading from sensor"});
    EXPECT_EQ(w.ctx.StatusText, "");
}

TEST(Progress, ReadRoundsToTheNearestPercent) {
    WiredContext w;
    Shown shown;
    watch(w, shown);
    // Three blocks of RAM: 6, 6 and 3 bytes of 15.
    ASSERT_TRUE(SensorMemRead(w.ctx, 0, 0, 15, false, false));
    EXPECT_EQ(shown.percents, (std::vector<int>{77, 0, 40, 80}));
}

// An EEPROM write walks through unlock, data, lock and the save to RAM, a RAM write saves to
// the EEPROM, and a write whose frames are all refused ends with its status cleared too.
TEST(Progress, WritesWalkThroughTheirSteps) {
    const struct {
        WriteRequest write;
        bool refused;
        std::vector<int> percents;
        std::vector<std::string> statuses;
    } cases[] = {
        {{.span = eepromRange(20, 12), .commit = true, .unlock = true, .lock = true,
          .writeAll = true},
         false, {77, 0, 33, 67},
         {"Unlocking EEPROM", "Sending to sensor", "Locking EEPROM", "Saving to RAM"}},
        {{.span = ramRange(10, 8), .commit = true, .writeAll = true}, false, {0, 50},
         {"Sending to sensor", "Saving to EEPROM"}},
        {{.span = ramRange(10, 1), .writeAll = true}, true, {0}, {"Sending to sensor"}},
    };
    for (const auto& c : cases) {
        WiredContext w;
        w.identify(80);
        std::fill(w.ctx.EeRead.begin(), w.ctx.EeRead.end(), true);
        w.line.refuseWrites = c.refused;
        Shown shown;
        watch(w, shown);
        EXPECT_EQ(SensorMemWrite(w.ctx, c.write), !c.refused);
        EXPECT_EQ(shown.percents, c.percents);
        EXPECT_EQ(shown.statuses, c.statuses);
        EXPECT_EQ(w.ctx.StatusText, "");
    }
}

}  // namespace
}  // namespace kelvo
