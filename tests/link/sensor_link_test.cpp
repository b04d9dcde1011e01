#include "link/sensor_link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "link/scripted_line.h"
#include "link/sensor_command.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"

namespace kelvo {
namespace {

using test::WiredContext;

TEST(SensorLinkInit, ClearsTheImageAndSetsTheAddress) {
    WiredContext w;
    w.ctx.EeRead.fill(true);
    w.ctx.RamRead.fill(true);
    w.ctx.EeImage.fill(3);
    w.ctx.EeLast.fill(3);
    w.ctx.RamImage.fill(4);
    w.ctx.RamLast.fill(4);
    w.ctx.AddressMask.fill(255);
    w.ctx.ComBuffer.fill(1);
    w.ctx.SensorAddress = 5;
    SensorLinkInit(w.ctx, 30);
    EXPECT_EQ(w.ctx.SensorAddress, 30);
    auto cleared = [](const auto& a, int last) {
        return std::all_of(a.begin(), a.begin() + last + 1, [](auto v) { return v == 0; });
    };
    EXPECT_TRUE(cleared(w.ctx.EeImage, 511) && cleared(w.ctx.EeLast, 511));
    EXPECT_TRUE(cleared(w.ctx.EeRead, 511) && cleared(w.ctx.AddressMask, 511));
    EXPECT_TRUE(cleared(w.ctx.RamImage, 255) && cleared(w.ctx.RamLast, 255));
    EXPECT_TRUE(cleared(w.ctx.RamRead, 255));
    EXPECT_TRUE(cleared(w.ctx.ComBuffer, kComBufferSize - 1));
    // Only the small EEPROM's range and the sensor's RAM are cleared: the upper half of a
    // large EEPROM, the mask entries beyond 511 and the image's spare elements past RAM 255
    // are left for the next read to overwrite.
    EXPECT_TRUE(w.ctx.EeImage[512] == 3 && w.ctx.EeLast[512] == 3 && w.ctx.EeRead[512]);
    EXPECT_TRUE(w.ctx.EeRead[1023]);
    EXPECT_EQ(w.ctx.AddressMask[512], 255);
    EXPECT_TRUE(w.ctx.RamImage[256] == 4 && w.ctx.RamLast[256] == 4 && w.ctx.RamRead[256]);
}

// A quiet line is listened to the whole time asked, across midnight too.
TEST(CheckPortFree, QuietLineListensTheWholeTime) {
    const struct {
        float seconds;
        int ms;
        double dayAtZero = 12 * 3600;
    } cases[] = {{2, 2000}, {0.5f, 500}, {0.7f, 700}, {0, 0}, {-1, 0}, {2, 2000, 86399.5}};
    for (const auto& c : cases) {
        WiredContext w;
        w.t.clock.setSecondsOfDayAtZero(c.dayAtZero);
        const int64_t start = w.now();
        EXPECT_TRUE(CheckPortFree(w.ctx, c.seconds));
        EXPECT_EQ(w.now() - start, c.ms) << c.seconds << " " << c.dayAtZero;
        EXPECT_FALSE(w.line.isOpen());
        EXPECT_TRUE(w.line.writes.empty());
    }
}

// Another master on the line, or a port that will not open: each named, and the port let go.
TEST(CheckPortFree, ABusyLineOrLockedPortIsNamed) {
    for (const bool locked : {false, true}) {
        WiredContext w;
        w.line.openable = !locked;
        w.t.pump.onEvents([&] {
            if (w.line.isOpen() && w.line.bytesWaiting() == 0) w.line.chatter({1});
        });
        EXPECT_FALSE(CheckPortFree(w.ctx, 2));
        EXPECT_EQ(w.ctx.ErrorText,
                  locked ? "This port is locked by other devise\nNo such device"
                         : "Central unit must be set to slave mode or be disconnected.");
        EXPECT_FALSE(w.line.isOpen());
    }
}

TEST(SensorAddressRange, AddressesTheRequestToSendCannotCarryAreRefused) {
    for (float address : {32.0f, 255.0f, -1.0f, 2.5f}) {
        WiredContext w;
        w.identify(80);
        w.ctx.SensorAddress = address;
        EXPECT_FALSE(SensorMemRead(w.ctx, 0, 65, 1, false, false));
        const std::string message = w.ctx.ErrorText;
        EXPECT_NE(message.find("out of range (0 to 31)"), std::string::npos) << message;
        w.ctx.ErrorText.clear();
        EXPECT_FALSE(SensorMemWrite(w.ctx, 0, 100, 1, false, false, false, false, false, true));
        EXPECT_EQ(w.ctx.ErrorText, message);
        w.ctx.ErrorText.clear();
        EXPECT_FALSE(SensorCommand(w.ctx, kSaveToRam, false));
        EXPECT_EQ(w.ctx.ErrorText, message);
        EXPECT_TRUE(w.line.writes.empty());
        EXPECT_EQ(w.line.opens, 0);  // refused before the port is claimed
    }
    WiredContext w;
    w.ctx.SensorAddress = 32;
    SensorMemRead(w.ctx, 0, 65, 1, false, false);
    EXPECT_EQ(w.ctx.ErrorText, "Sensor address 32 is out of range (0 to 31)");
}

TEST(SensorAddressRange, TheRequestToSendCarriesTheAddressUpToTheHighest) {
    for (const auto& [address, sent] : {std::pair{31.0f, 255}, {0.0f, 224}, {1.0f, 225}}) {
        WiredContext w;
        w.ctx.SensorAddress = address;
        EXPECT_TRUE(SensorMemRead(w.ctx, 0, 65, 1, false, false)) << w.ctx.ErrorText;
        EXPECT_EQ(w.line.writes.front(), Bytes{static_cast<uint8_t>(sent)});
    }
}

// A tick that jumps: back by an hour every few waits (as a wrapping counter would), or
// forward by a day.
class JumpingClock : public Clock {
public:
    int64_t tickMs() const override { return tick; }
    double secondsOfDay() const override { return 0; }
    int64_t tick = 5'000'000;
};

class JumpingPump : public EventPump {
public:
    JumpingPump(JumpingClock& clock, int64_t jump) : clock_(clock), jump_(jump) {}
    void idle(int64_t deadline) override {
        if (++calls % 5 == 0)
            clock_.tick += jump_;
        else
            clock_.tick = std::max(deadline, clock_.tick + 1);
    }
    void processEvents() override {}
    int calls = 0;

private:
    JumpingClock& clock_;
    int64_t jump_;
};

// Back by an hour every few waits it neither hangs nor stretches the attempts; forward by a
// day it still counts every one.
TEST(ClockJumps, ATickThatJumpsMakesEveryAttemptOnce) {
    for (const int64_t jump : {int64_t{-3'600'000}, int64_t{86'400'000}}) {
        SCOPED_TRACE(jump);
        JumpingClock clock;
        JumpingPump pump(clock, jump);
        test::ScriptedLine line;
        line.attach(clock);
        line.answersHandshake = false;
        test::ScriptedPrompter prompter;
        Context ctx(line, clock, pump, prompter);
        bool report = true;
        EXPECT_FALSE(SensorMemRead(ctx, 0, 65, 1, false, false, 100, report));
        EXPECT_EQ(line.handshakes, 100);
        EXPECT_EQ(ctx.ErrorText, "Can't read from sensor");
        // Two waits per attempt, each of them interrupted at most once by a jump.
        EXPECT_LE(pump.calls, 100 * 4 + 10);
    }
}

}  // namespace
}  // namespace kelvo
