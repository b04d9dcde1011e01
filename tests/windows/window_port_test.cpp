// A shown window between user actions: the port is free for other programs, and a close
// request that arrives while the window talks to the sensor still leaves the window, after
// cancelling what it was doing.
#include <gtest/gtest.h>

#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

class WindowBetweenActions : public ::testing::TestWithParam<SensorKind> {};

TEST_P(WindowBetweenActions, ThePortIsClosedAfterEveryPollAndAction) {
    WindowOnSensor w(GetParam().platform, GetParam().version);
    for (int poll = 0; poll < 3; ++poll) {
        const int opens = w.rig.sensor.opens();
        w.poll();
        EXPECT_GT(w.rig.sensor.opens(), opens) << "poll " << poll << " read nothing";
        EXPECT_FALSE(w.rig.sensor.isOpen()) << "after poll " << poll;
    }
    for (int16_t code : {kActionSensorRead, kActionSensorWrite, kActionTWAReset}) {
        w.run(code);
        EXPECT_FALSE(w.rig.sensor.isOpen()) << "after action " << code;
    }
    EXPECT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
}

TEST_P(WindowBetweenActions, ACloseRequestDuringAPollLeavesTheWindowWhenThePollEnds) {
    WindowOnSensor w(GetParam().platform, GetParam().version);
    bool closeSent = false;
    w.rig.t.pump.onEvents([&] {
        // The user closes the window while the poll waits for the sensor's answer.
        if (!closeSent && w.rig.sensor.isOpen()) {
            closeSent = true;
            w.window->close();
        }
    });
    w.poll();
    ASSERT_TRUE(closeSent);
    EXPECT_EQ(w.host.restarts, 1);
    EXPECT_FALSE(w.rig.sensor.isOpen());
    EXPECT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
}

TEST_P(WindowBetweenActions, ClosingDuringASendCancelsItAndLeavesWhenItHasEnded) {
    WindowOnSensor w(GetParam().platform, GetParam().version, {},
                     virtualsensor::LineTiming::RealTime);
    int eventsIntoSend = 0;
    int restartsAtClose = -1;
    bool cancelledByClose = false;
    w.rig.t.pump.onEvents([&] {
        // The user closes the window a little way into the send, with the line paced.
        if (!w.host.progress.contains("Sending to sensor") || ++eventsIntoSend != 5) return;
        w.window->close();
        restartsAtClose = w.host.restarts;
        cancelledByClose = isCancelled(w.ctx());
    });
    w.run(kActionSensorWrite);
    ASSERT_GE(eventsIntoSend, 5) << "the send ended before the close";
    EXPECT_EQ(restartsAtClose, 0);
    EXPECT_TRUE(cancelledByClose);
    EXPECT_EQ(w.host.restarts, 1);
    EXPECT_TRUE(w.rig.sensor.eepromLocked());
    EXPECT_FALSE(w.rig.sensor.isOpen());
    EXPECT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
}

INSTANTIATE_TEST_SUITE_P(EveryWindowKind, WindowBetweenActions,
                         ::testing::Values(SensorKind{5, 0}, SensorKind{5, 1}, SensorKind{6, 0}, SensorKind{61, 0},
                                           SensorKind{7, 1}),
                         kindName);

}  // namespace
}  // namespace kelvo::test
