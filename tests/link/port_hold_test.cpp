// One port opening per action: the transactions of a held action share it, the wire stays
// as it was, and the pause before an attempt counts the line's quiet time since the last
// exchange.
#include "link/port_hold.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "link/scripted_line.h"
#include "link/sensor_command.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"

namespace kelvo {
namespace {

using test::WiredContext;

// A read, a write and a command, each asking for the port to be closed at its end.
void readWriteCommand(WiredContext& w) {
    ASSERT_TRUE(SensorMemRead(w.ctx, 0, 60, 2, false, false));
    w.ctx.RamImage[60] = 7;
    ASSERT_TRUE(SensorMemWrite(w.ctx, {.span = ramRange(60, 2)}));
    ASSERT_TRUE(SensorCommand(w.ctx, kSaveToEeprom, false));
}

TEST(PortHold, AHeldActionOpensThePortOnceAndSendsTheSameBytesWithTheSamePauses) {
    WiredContext loose, held;
    loose.identify(80);
    held.identify(80);
    readWriteCommand(loose);
    {
        PortHold hold(held.ctx);
        readWriteCommand(held);
        EXPECT_TRUE(held.line.isOpen());
    }
    EXPECT_FALSE(held.line.isOpen());
    EXPECT_EQ(held.line.sent, loose.line.sent);
    EXPECT_EQ(loose.line.opens, 3);
    EXPECT_EQ(held.line.opens, 1);
    EXPECT_EQ(held.now(), loose.now());
}

int64_t secondReadMs(bool hold, int64_t idleMs) {
    WiredContext w;
    w.identify(80);
    std::optional<PortHold> holding;
    if (hold) holding.emplace(w.ctx);
    EXPECT_TRUE(SensorMemRead(w.ctx, 0, 60, 1, false, false));
    w.t.clock.advance(idleMs);
    const int64_t start = w.now();
    EXPECT_TRUE(SensorMemRead(w.ctx, 0, 60, 1, false, false));
    return w.now() - start;
}

TEST(PortHold, ThePauseBeforeAnAttemptCountsTheQuietTimeSinceTheLastExchange) {
    for (int64_t idle : {0, 2, 5, 40}) {
        EXPECT_EQ(secondReadMs(true, 0) - secondReadMs(true, idle), std::min<int64_t>(idle, 5))
            << idle;
        EXPECT_EQ(secondReadMs(false, idle), secondReadMs(false, 0)) << "unheld, " << idle;
    }
}

}  // namespace
}  // namespace kelvo
