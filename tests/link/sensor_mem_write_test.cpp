#include "link/sensor_mem_write.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <span>
#include <tuple>

#include "common/service_recorder.h"
#include "link/scripted_line.h"
#include "support/recorded_notes.h"

namespace kelvo {
namespace {

using test::WiredContext;
using Icon = Prompter::Icon;

const Bytes kUnlock2{177, 169, 90}, kLock2{169, 171, 84}, kSaveToRam2{145, 0, 145};
const Bytes kTmoReset{65, 102, 1, 168};

void markAllRead(Context& ctx) {
    std::fill(ctx.EeRead.begin(), ctx.EeRead.begin() + 512, true);
}

TEST(SensorMemWriteFrames, TmoResetIsOneRamFrameSentWhole) {
    WiredContext w;
    w.ctx.RamImage[230] = 1;
    ASSERT_TRUE(SensorMemWrite(w.ctx, 0, 230, 1, false, false, true, false, false, true));
    EXPECT_EQ(w.line.writes, (std::vector<Bytes>{{254}, kTmoReset}));
    EXPECT_EQ(w.ctx.RamLast[230], 1);
    EXPECT_EQ(w.line.ram[230], 1);
    EXPECT_TRUE(w.line.isOpen());
    EXPECT_EQ(w.ctx.StatusText, "");
}

TEST(SensorMemWriteFrames, UnchangedEepromSendsNoDataButStillUnlocksLocksAndSaves) {
    for (const bool keepOpen : {false, true}) {
        WiredContext w;
        w.identify(88);
        markAllRead(w.ctx);
        ASSERT_TRUE(SensorMemWrite(w.ctx, 30, 0, 0, true, true, keepOpen, true, true, false));
        EXPECT_EQ(w.frames(),
                  (std::vector<Bytes>{kTmoReset, {144, 0, 144}, {16, 0, 16}, {32, 0, 32}}));
        EXPECT_EQ(w.line.opens, 1);
        EXPECT_EQ(w.line.isOpen(), keepOpen);
    }
}

// What goes out: EEPROM data between unlock and lock, the save after a commit, large-EEPROM
// blocks inside their 16-byte page, a small-EEPROM word whole, and of a list only the bytes
// that changed, a byte never read counting as changed.
TEST(SensorMemWriteFrames, EachWriteSendsWhatItMust) {
    const struct {
        uint8_t id;    // 32: the large EEPROM
        bool allRead;  // the image held what the sensor does before the edits
        WriteRequest write;
        std::vector<std::tuple<int, float, float>> edits;  // address, image, last sent
        std::vector<Bytes> frames;
        int sent;  // a byte that then holds the image's value in the sensor and as last sent
    } cases[] = {
        {32, false, {.span = eepromRange(14, 4), .unlock = true, .lock = true, .writeAll = true},
         {{14, 1, 0}, {15, 2, 0}, {16, 3, 0}, {17, 4, 0}},
         {kUnlock2, {10, 0, 14, 1, 2, 27}, {10, 0, 16, 3, 4, 33}, kLock2}, 17},
        {80, true, {.span = eepromList(30), .commit = true, .unlock = true, .lock = true},
         {{20, 7, 7}, {21, 5, 0}}, {kUnlock2, {10, 10, 7, 5, 32}, kLock2, kSaveToRam2}, 21},
        {32, true, {.span = eepromList(30)}, {{301, 5, 0}}, {{9, 1, 45, 5, 60}}, 301},
        {80, false, {.span = eepromRange(40, 2)}, {}, {{10, 20, 0, 0, 30}}, 41},
        {88, false, {.span = ramRange(162, 1), .commit = true, .writeAll = true}, {{162, 3, 0}},
         {{65, 34, 3, 102}, {161, 0, 161}}, 162},
    };
    for (const auto& c : cases) {
        WiredContext w;
        w.identify(c.id);
        w.line.largeEeprom = c.id == 32;
        w.line.eepromLocked = c.write.unlock;
        if (c.allRead) std::fill(w.ctx.EeRead.begin(), w.ctx.EeRead.begin() + 1024, true);
        const bool ee = c.write.span.eeprom;
        float* image = ee ? w.ctx.EeImage.data() : w.ctx.RamImage.data();
        float* last = ee ? w.ctx.EeLast.data() : w.ctx.RamLast.data();
        for (const auto& [a, value, lastSent] : c.edits) image[a] = value, last[a] = lastSent;
        ASSERT_TRUE(SensorMemWrite(w.ctx, c.write)) << c.sent;
        EXPECT_EQ(w.frames(), c.frames) << c.sent;
        EXPECT_EQ(ee ? w.line.eeprom[c.sent] : w.line.ram[c.sent], image[c.sent]) << c.sent;
        EXPECT_EQ(last[c.sent], image[c.sent]) << c.sent;
        EXPECT_EQ(w.line.eepromLocked, c.write.lock) << c.sent;
    }
}

// Platform 5's EEPROM, and a word whose partner byte was never read: refused with a prompt
// before anything is sent.
TEST(SensorMemWriteRefusals, RefusedWithAPromptBeforeSending) {
    for (const auto& [id, address, text, icon] :
         {std::tuple{96, 20, "Kan inte skriva till infPlatform 5 EEPROM", Icon::Plain},
          std::tuple{80, 21, "Word varning ", Icon::Critical},
          std::tuple{80, 0, "Word varning ", Icon::Critical},
          std::tuple{80, 511, "Word varning ", Icon::Critical}}) {
        WiredContext w;
        w.identify(static_cast<uint8_t>(id));
        EXPECT_FALSE(SensorMemWrite(w.ctx, 0, address, 1, true, false, false, false, false, true));
        ASSERT_EQ(w.t.prompter.shown.size(), 1u);
        EXPECT_EQ(w.t.prompter.shown[0].text, text);
        EXPECT_EQ(w.t.prompter.shown[0].icon, icon);
        EXPECT_TRUE(w.line.writes.empty());
        EXPECT_EQ(w.ctx.ErrorText, "Can't save to sensor");
    }
}

TEST(SensorMemWriteRefusals, OddBlockStartOnTheSmallEeprom) {
    WiredContext w;
    w.identify(80);
    w.ctx.AddressMask[21] = 8;  // a partial mask is not completed to its word
    EXPECT_FALSE(SensorMemWrite(w.ctx, 0, 0, 0, true, false, false, false, false, true));
    EXPECT_EQ(w.t.prompter.messages(),
              std::vector<std::string>{"Får inte vara ojämn adress till EEPROM"});
    EXPECT_TRUE(w.frames().empty());

    // Two bytes after a selected word it rides in that word's block of four.
    WiredContext four;
    four.identify(80);
    markAllRead(four.ctx);
    four.ctx.AddressMask[18] = 255;
    four.ctx.AddressMask[21] = 8;
    ASSERT_TRUE(SensorMemWrite(four.ctx, 0, 0, 0, true, false, false, true, true, true));
    const auto frames = four.frames();
    EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [](const Bytes& f) {
        return f.size() == 7 && f[0] == 12 && f[1] == 9;
    }));
}

TEST(SensorMemWriteRefusals, ValuesAByteCannotHold) {
    for (float bad : {256.0f, -1.0f, 12.5f}) {
        WiredContext w;
        w.ctx.RamImage[100] = bad;
        EXPECT_FALSE(SensorMemWrite(w.ctx, 0, 100, 1, false, false, false, false, false, true))
            << bad;
        EXPECT_EQ(w.ctx.ErrorText, "Can't save to sensor");
        EXPECT_TRUE(w.frames().empty()) << bad;
        EXPECT_EQ(w.line.ram[100], 0);
    }
}

// A byte from another talker, sent at any one wait of the write, is not taken for the
// frame's status (nor for the clear-to-send): the write still takes one attempt.
TEST(SensorMemWriteRetries, AStrayByteCostsNoAttempt) {
    bool sent = true;
    for (int moment = 0; sent; ++moment) {  // until the write has no wait left to send it in
        WiredContext w;
        int events = 0;
        sent = false;
        w.t.pump.onEvents([&] {
            if (events++ != moment) return;
            w.line.chatter({21});
            sent = true;
        });
        w.ctx.RamImage[100] = 9;
        ASSERT_TRUE(SensorMemWrite(w.ctx, 0, 100, 1, false, false, false, false, false, true));
        EXPECT_EQ(w.line.handshakes, 1) << moment;
    }
}

TEST(SensorMemWriteRetries, AcknowledgedBlocksStayWhenALaterOneFails) {
    WiredContext w;
    for (int a = 0; a < 8; ++a) w.ctx.RamImage[a] = 9;
    w.t.pump.onEvents([&] {
        if (w.frames().size() == 1) w.line.refuseWrites = true;
    });
    EXPECT_FALSE(SensorMemWrite(w.ctx, 0, 0, 8, false, false, false, false, false, true));
    EXPECT_EQ(w.ctx.RamLast[3], 9);
    EXPECT_EQ(w.ctx.RamLast[4], 0);
}

// A write that fails keeps its message and leaves the EEPROM locked, these frames and no others
// sent: a refused block given up after ten attempts (the port reopened at the fifth), a port that
// will not open, a refusal or a Cancel after the unlock (the lock still goes out, no save), a
// Cancel after the lock (not locked again), a lock asked for by a caller who unlocked, and an
// unlock that fails, after which no lock is sent.
TEST(SensorMemWriteLock, AFailedWriteKeepsItsMessageAndLeavesTheEepromLocked) {
    const auto times = [](int n, const Bytes& frame) { return std::vector<Bytes>(n, frame); };
    const auto locked = [](std::vector<Bytes> frames) {
        frames.insert(frames.begin(), kUnlock2);
        frames.push_back(kLock2);
        return frames;
    };
    const WriteRequest ram{.span = ramRange(100, 1), .writeAll = true};
    const WriteRequest eeprom{
        .span = eepromRange(20, 2), .commit = true, .unlock = true, .lock = true, .writeAll = true};
    const struct {
        WriteRequest write;
        uint8_t id = 80;
        bool refuseWrites = false, openable = true;
        int refuseFrames = 0;
        size_t cancelAt = 0;  // the frames sent when a Cancel comes
        const char* error = "Can't save to sensor";
        std::vector<Bytes> frames;
        std::vector<int> openedAfter = {};  // empty: not checked
    } cases[] = {
        {.write = ram, .id = 0, .refuseWrites = true, .frames = times(10, {1, 100, 0, 101}),
         .openedAfter = {0, 5}},
        {.write = ram, .id = 0, .openable = false, .frames = {}},
        {.write = eeprom, .refuseWrites = true, .frames = locked(times(10, {10, 10, 1, 0, 21}))},
        {.write = {.span = eepromRange(20, 12), .commit = true, .unlock = true, .lock = true,
                   .writeAll = true},
         .cancelAt = 2, .error = "Avbryt", .frames = locked({{12, 10, 1, 0, 0, 0, 23}})},
        {.write = eeprom, .cancelAt = 3, .error = "Avbryt", .frames = locked({{10, 10, 1, 0, 21}})},
        {.write = {.span = eepromRange(21, 1), .lock = true, .writeAll = true}, .frames = {kLock2}},
        {.write = eeprom, .refuseFrames = 200, .error = "Can't unlock EEPROM",
         .frames = times(100, kUnlock2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.error << ", " << c.frames.size() << " frames");
        WiredContext w;
        if (c.id) w.identify(c.id);
        w.ctx.EeImage[20] = 1;
        w.line.refuseWrites = c.refuseWrites;
        w.line.refuseFrames = c.refuseFrames;
        w.line.openable = c.openable;
        w.t.pump.onEvents([&] {
            if (c.cancelAt && w.frames().size() == c.cancelAt && w.ctx.ErrorText.empty())
                w.ctx.ErrorText = "Avbryt";
        });
        EXPECT_FALSE(SensorMemWrite(w.ctx, c.write));
        EXPECT_EQ(w.ctx.ErrorText, c.error);
        EXPECT_EQ(w.frames(), c.frames);
        EXPECT_TRUE(c.openable || w.line.writes.empty());
        EXPECT_TRUE(w.line.eepromLocked);
        EXPECT_EQ(w.ctx.RamLast[100], 0);
        EXPECT_TRUE(c.openedAfter.empty() || w.line.openedAfter == c.openedAfter);
    }
}

// The range or list asked for up to the memory's top, not what the mask held before, and
// both bytes of a small-EEPROM word.
TEST(SensorMemWriteRecord, TellsTheRecordEveryByteItMaySend) {
    const struct {
        int32_t list;
        int address, count;
        bool eeprom;
        int first, last;  // the bytes told
    } cases[] = {
        {0, 255, 1, false, 255, 255}, {8, 0, 0, false, 0, 255}, {0, 511, 1, true, 510, 511}};
    for (const auto& c : cases) {
        WiredContext w;
        w.identify(88);
        test::RecordedNotes record;
        record.refuse = true;  // nothing need go out
        w.ctx.serviceRecorder = &record;
        w.ctx.AddressMask[100] = 255;
        EXPECT_FALSE(SensorMemWrite(w.ctx, c.list, static_cast<float>(c.address),
                                    static_cast<uint8_t>(c.count), c.eeprom, false, false, false,
                                    false, true));
        std::vector<int> told(c.last - c.first + 1);
        std::iota(told.begin(), told.end(), c.first);
        EXPECT_EQ(record.selections, std::vector<std::vector<int>>{told}) << c.address;
        EXPECT_TRUE(w.line.writes.empty());
    }
}

}  // namespace
}  // namespace kelvo
