#include "virtualsensor/virtual_sensor.h"

#include <gtest/gtest.h>

#include "support/virtual_sensor_rig.h"

namespace kelvo::virtualsensor {
namespace {

using test::VirtualSensorRig;

// A virtual sensor with a master on its line that talks raw bytes: what the link does,
// minus its policies.
struct Master : VirtualSensorRig {
    template <typename... Args>
    explicit Master(Args&&... args) : VirtualSensorRig(std::forward<Args>(args)...) {
        sensor.open();
    }

    // Waits (on the virtual clock) until `count` bytes are readable or `timeoutMs` pass.
    Bytes receive(size_t count, int64_t timeoutMs = 300) {
        const int64_t deadline = t.clock.tickMs() + timeoutMs;
        while (static_cast<size_t>(sensor.bytesWaiting()) < count && t.clock.tickMs() < deadline)
            t.pump.idle(deadline);
        return sensor.readAll();
    }
    Bytes exchange(const Bytes& frame, size_t replySize) {
        sensor.write({254});
        if (receive(1) != Bytes{223}) return {0xEE};
        sensor.write(frame);
        return receive(replySize);
    }
};

Bytes withChecksum(Bytes frame) {
    unsigned sum = 0;
    for (uint8_t b : frame) sum += b;
    frame.push_back(static_cast<uint8_t>(sum));
    return frame;
}

TEST(VirtualSensorHandshake, AnswersItsOwnAddressAndTheSingleSensorAddressOnly) {
    Master rig(6);
    rig.sensor.setNetworkId(5);
    for (uint8_t rts : {254, 229}) {
        rig.sensor.write({rts});
        EXPECT_EQ(rig.sensor.bytesWaiting(), 0);  // nothing before the turnaround
        EXPECT_EQ(rig.receive(1), Bytes{223}) << int(rts);
    }
    rig.sensor.write({225});
    EXPECT_EQ(rig.receive(1, 100), Bytes{});
    EXPECT_EQ(rig.sensor.handshakesAnswered(), 2);
}

TEST(VirtualSensorHandshake, ForgetsAHalfSentFrameAndListensForANewHandshake) {
    Master rig(61);
    rig.sensor.write({254});
    ASSERT_EQ(rig.receive(1), Bytes{223});
    rig.sensor.write({129});  // first byte of a read, then the master gives up
    rig.t.clock.advance(200);
    EXPECT_EQ(rig.exchange(withChecksum({129, 65}), 3).size(), 3u);
}

// Reads are answered with status, data and checksum from every area: RAM on both sides of its
// half, platform 7's 1024-byte EEPROM by two address bytes, the small EEPROM by word. A bad
// checksum, or an address outside the memory, is refused.
TEST(VirtualSensorRead, AnswersEveryAreaAndRefusesWhatItCannotRead) {
    SensorMemory seven = *FactoryImage(7, 1), six = *FactoryImage(6, 0);
    seven.ram[65] = 33;
    seven.ram[128] = 1;
    seven.ram[129] = 2;
    seven.eeprom[1022] = 9;
    for (int a = 0; a < 6; ++a) six.eeprom[100 + a] = static_cast<uint8_t>(a + 1);
    using Exchange = std::tuple<Bytes, size_t, Bytes>;  // frame, reply size, reply
    const std::pair<SensorMemory, std::vector<Exchange>> sensors[] = {
        {seven, {{{129, 65, 194}, 3, {6, 33, 39}}, {withChecksum({194, 0}), 4, {6, 1, 2, 9}},
                 {withChecksum({138, 3, 254}), 4, {6, 9, 1, 16}}}},
        {six, {{withChecksum({142, 50}), 8, {6, 1, 2, 3, 4, 5, 6, 27}}}},
        {*FactoryImage(61, 0), {{{129, 65, 195}, 3, {21}},
                                {withChecksum({142, 255}), 8, {21}},  // bytes 510..515
                                {withChecksum({129, 128}), 3, {21}},  // wire address past a half
                                {withChecksum({198, 125}), 8, {21}}}},  // past RAM 255
    };
    for (const auto& [memory, exchanges] : sensors) {
        Master rig(memory);
        for (const auto& [frame, size, reply] : exchanges)
            EXPECT_EQ(rig.exchange(frame, size), reply) << int(frame[0]) << " " << int(frame[1]);
    }
}

TEST(VirtualSensorWrite, EepromTakesWritesOnlyBetweenUnlockAndLock) {
    Master rig(61);  // protocol 2
    const Bytes write = withChecksum({10, 20, 0xAB, 0xCD});
    EXPECT_TRUE(rig.sensor.eepromLocked());
    EXPECT_EQ(rig.exchange(write, 1), Bytes{21});
    EXPECT_EQ(rig.exchange({177, 169, 90}, 1), Bytes{6});
    EXPECT_EQ(rig.exchange(write, 1), Bytes{6});
    EXPECT_EQ(rig.sensor.memory().eeprom[40], 0xAB);
    EXPECT_EQ(rig.sensor.memory().eeprom[41], 0xCD);
    EXPECT_EQ(rig.exchange({169, 171, 84}, 1), Bytes{6});
    EXPECT_EQ(rig.exchange(withChecksum({10, 20, 1, 1}), 1), Bytes{21});
    EXPECT_EQ(rig.sensor.memory().eeprom[40], 0xAB);
}

TEST(VirtualSensorWrite, RamWritesCrossTheHalvesAndLargeEepromKeepsToItsPage) {
    Master rig(7, 1);
    EXPECT_EQ(rig.exchange(withChecksum({4, 126, 1, 2, 3, 4}), 1), Bytes{6});
    EXPECT_EQ(rig.sensor.memory().ram[129], 4);
    EXPECT_EQ(rig.exchange(withChecksum({65, 102, 1}), 1), Bytes{6});
    EXPECT_EQ(rig.sensor.memory().ram[230], 1);
    EXPECT_EQ(rig.exchange({177, 169, 90}, 1), Bytes{6});
    EXPECT_EQ(rig.exchange(withChecksum({12, 0, 14, 1, 2, 3, 4}), 1), Bytes{21});  // 14..17
    EXPECT_EQ(rig.exchange(withChecksum({10, 0, 14, 1, 2}), 1), Bytes{6});
    EXPECT_EQ(rig.sensor.memory().eeprom[15], 2);
}

TEST(VirtualSensorCommands, EachDialectKnowsOnlyItsOwnFrames) {
    Master rig(6);  // protocol 1
    EXPECT_EQ(rig.sensor.protocol(), 1);
    EXPECT_EQ(rig.exchange({177, 169, 90}, 1), Bytes{});  // a protocol-2 unlock means nothing
    EXPECT_TRUE(rig.sensor.eepromLocked());
    EXPECT_EQ(rig.exchange({144, 0, 144}, 1), Bytes{6});
    EXPECT_FALSE(rig.sensor.eepromLocked());
    EXPECT_EQ(rig.exchange({16, 0, 16}, 1), Bytes{6});
    EXPECT_TRUE(rig.sensor.eepromLocked());
    EXPECT_EQ(rig.exchange({185, 1, 186}, 1), Bytes{});
    EXPECT_EQ(rig.sensor.twaResets(), 0);
}

TEST(VirtualSensorCommands, ProtocolTwoChecksTheKeyAndResetsTheTwa) {
    Master rig(5);  // identification byte 231: protocol 2
    EXPECT_EQ(rig.exchange(withChecksum({177, 0}), 1), Bytes{21});
    EXPECT_TRUE(rig.sensor.eepromLocked());
    EXPECT_EQ(rig.exchange({185, 1, 186}, 1), Bytes{6});
    EXPECT_EQ(rig.exchange({161, 0, 161}, 1), Bytes{6});
    EXPECT_EQ(rig.sensor.twaResets(), 1);
    EXPECT_EQ(rig.sensor.idSaves(), 1);
}

TEST(VirtualSensorCommands, PlatformFiveSavesItsRamSettingsAndLoadsThemBack) {
    SensorMemory memory = *FactoryImage(5, 0);
    memory.ram[65] = 0x7F;  // protocol 1
    memory.ram[170] = 42;
    Master rig(memory);
    EXPECT_EQ(rig.exchange({161, 0, 161}, 1), Bytes{6});
    EXPECT_EQ(rig.sensor.memory().eeprom[170], 42);
    EXPECT_EQ(rig.sensor.memory().eeprom[65], 0);  // identification is not a setting
    rig.sensor.memory().ram[170] = 7;
    rig.sensor.memory().ram[65] = 0x7F;
    EXPECT_EQ(rig.exchange({32, 0, 32}, 1), Bytes{6});
    EXPECT_EQ(rig.sensor.memory().ram[170], 42);
    EXPECT_EQ(rig.sensor.memory().ram[65], 0x7F);
    EXPECT_EQ(rig.sensor.savesToEeprom(), 1);
    EXPECT_EQ(rig.sensor.savesToRam(), 1);
}

TEST(VirtualSensorLine, RealTimeBytesLandOneByOneAtTheirLineTime) {
    Master rig(61, 0, LineTiming::RealTime);
    const int64_t start = rig.t.clock.tickMs();
    rig.sensor.write({254});
    // 1.04 ms out, 1 ms turnaround, 1.04 ms back: readable from the fourth millisecond.
    ASSERT_EQ(rig.sensor.nextArrivalMs(), start + 4);
    rig.t.clock.advance(3);
    EXPECT_EQ(rig.sensor.bytesWaiting(), 0);
    rig.t.clock.advance(1);
    ASSERT_EQ(rig.sensor.readAll(), Bytes{223});
    rig.t.clock.advanceTo(start + 12);
    rig.sensor.write({129, 65, 194});
    // Request lands at 12 + 3.125, turnaround to 16.125, replies at 17.17, 18.21, 19.25.
    for (int64_t tick : {18, 19, 20}) {
        EXPECT_EQ(rig.sensor.nextArrivalMs(), start + tick);
        rig.t.pump.idle(start + 100);
        EXPECT_EQ(rig.t.clock.tickMs(), start + tick);
        EXPECT_EQ(rig.sensor.readAll().size(), 1u);
    }
    EXPECT_EQ(rig.sensor.nextArrivalMs(), std::nullopt);
}

TEST(VirtualSensorLine, OnlyBytesStillOnTheirWayCountAsPending) {
    Master rig(61, 0, LineTiming::RealTime);
    const int64_t startNs = rig.t.clock.tickNs();
    rig.sensor.write({254, 254});  // two handshakes: two 223s, back to back
    ASSERT_EQ(rig.sensor.nextArrivalNs(), startNs + 3'083'334);
    rig.t.clock.advance(4);
    // The first 223 is readable but unread: a waiting master must be told about the
    // second one, not woken again and again for the first.
    EXPECT_EQ(rig.sensor.bytesWaiting(), 1);
    EXPECT_EQ(rig.sensor.nextArrivalNs(), startNs + 4'125'001);
    EXPECT_EQ(rig.sensor.nextArrivalMs(), rig.t.clock.tickMs() + 1);
}

TEST(VirtualSensorFaults, SilenceRefusalsAndLateAnswersUseUpTheirCount) {
    Master rig(61);
    rig.sensor.silentFor(2);
    for (int i = 0; i < 2; ++i) {
        rig.sensor.write({254});
        EXPECT_EQ(rig.receive(1, 100), Bytes{});
    }
    rig.sensor.refuseNext(1);
    EXPECT_EQ(rig.exchange({129, 65, 194}, 3), Bytes{21});
    EXPECT_EQ(rig.exchange({129, 65, 194}, 3).size(), 3u);

    rig.sensor.answerLateBy(150, 1);
    rig.sensor.write({254});
    EXPECT_EQ(rig.receive(1, 100), Bytes{});
    EXPECT_EQ(rig.receive(1, 100), Bytes{223});
}

TEST(VirtualSensorFaults, CorruptedChecksumAndAlternativeStatus) {
    SensorMemory memory = *FactoryImage(61, 0);
    memory.ram[65] = 214;
    Master rig(memory);
    rig.sensor.corruptChecksumOnce();
    Bytes reply = rig.exchange({129, 65, 194}, 3);
    ASSERT_EQ(reply.size(), 3u);
    EXPECT_NE(reply[2], static_cast<uint8_t>(6 + 214));
    EXPECT_EQ(rig.exchange({129, 65, 194}, 3), (Bytes{6, 214, 220}));
    rig.sensor.answer134(true);
    EXPECT_EQ(rig.exchange({129, 65, 194}, 3), (Bytes{134, 214, 92}));
    rig.sensor.refuseWrites(true);
    EXPECT_EQ(rig.exchange(withChecksum({1, 0, 5}), 1), Bytes{21});
}

TEST(VirtualSensorFaults, OtherMasterAndGarbageArriveUnasked) {
    Master rig(6);
    rig.sensor.sendGarbage({1, 2, 3});
    EXPECT_EQ(rig.receive(3, 10), (Bytes{1, 2, 3}));
    rig.sensor.otherMasterTalking(true);
    ASSERT_TRUE(rig.sensor.nextArrivalMs().has_value());
    EXPECT_EQ(rig.receive(1, 100).size(), 1u);
    rig.sensor.otherMasterTalking(false);
    EXPECT_EQ(rig.receive(1, 100), Bytes{});
}

TEST(VirtualSensorFaults, VanishedPortFailsWritesAndOpensUntilReconnected) {
    Master rig(6);
    rig.sensor.vanishAfter(2);
    EXPECT_TRUE(rig.sensor.write({254}));
    EXPECT_FALSE(rig.sensor.write({129, 65}));
    EXPECT_FALSE(rig.sensor.isOpen());
    EXPECT_FALSE(rig.sensor.errorString().empty());
    EXPECT_FALSE(rig.sensor.open());
    EXPECT_FALSE(rig.sensor.errorString().empty());
    rig.sensor.reconnect();
    EXPECT_TRUE(rig.sensor.open());
    rig.sensor.refuseOpen(true);
    rig.sensor.close();
    EXPECT_FALSE(rig.sensor.open());
}

TEST(VirtualSensorRecord, KeepsEveryByteFrameOpenCloseAndDtrPulse) {
    Master rig(61);
    rig.exchange({129, 65, 194}, 3);
    rig.sensor.write({65, 84, 79});  // stray bytes the sensor ignores
    rig.sensor.setDtr(true);
    rig.sensor.setDtr(false);
    rig.sensor.close();
    EXPECT_EQ(rig.sensor.received(), (Bytes{254, 129, 65, 194, 65, 84, 79}));
    ASSERT_EQ(rig.sensor.requests().size(), 1u);
    EXPECT_EQ(rig.sensor.requests()[0], (Bytes{129, 65, 194}));
    EXPECT_EQ(rig.sensor.opens(), 1);
    EXPECT_EQ(rig.sensor.closes(), 1);
    EXPECT_EQ(rig.sensor.dtrPulses(), 1);
}

}  // namespace
}  // namespace kelvo::virtualsensor
