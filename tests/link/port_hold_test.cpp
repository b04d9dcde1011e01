// One port opening per action: the transactions of a held action share it, the wire stays
// as it was, and the pause before an attempt counts the line's quiet time since the last
// exchange.
#include "link/port_hold.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <utility>

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

// Holders taken before the first read and between the two reads.
int64_t secondReadMs(int before, int between, int64_t idleMs) {
    WiredContext w;
    w.identify(80);
    std::list<PortHold> holds;
    for (int k = 0; k < before; ++k) holds.emplace_back(w.ctx);
    EXPECT_TRUE(SensorMemRead(w.ctx, 0, 60, 1, false, false));
    w.t.clock.advance(idleMs);
    for (int k = 0; k < between; ++k) holds.emplace_back(w.ctx);
    const int64_t start = w.now();
    EXPECT_TRUE(SensorMemRead(w.ctx, 0, 60, 1, false, false));
    return w.now() - start;
}

// Only an action that held the port through both reads knows how long the line was quiet,
// however many holders it stacks; one that takes the port afterwards pauses in full.
TEST(PortHold, ThePauseBeforeAnAttemptCountsTheQuietTimeSinceTheLastExchange) {
    const int64_t full = secondReadMs(0, 0, 0);
    for (int64_t idle : {0, 2, 5, 40})
        for (const auto& [before, between] : {std::pair{0, 0}, {0, 1}, {1, 0}, {1, 1}})
            EXPECT_EQ(full - secondReadMs(before, between, idle),
                      before > 0 ? std::min<int64_t>(idle, 5) : 0)
                << idle << " " << before << between;
}

}  // namespace
}  // namespace kelvo
