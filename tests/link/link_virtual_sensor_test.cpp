// The link against the virtual sensor: whole transactions as the windows run them.
#include <gtest/gtest.h>

#include <functional>

#include "link/sensor_command.h"
#include "link/sensor_link.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"
#include "model/identification.h"
#include "support/virtual_sensor_rig.h"

namespace kelvo {
namespace {

using test::VirtualSensorRig;
using virtualsensor::LineTiming;

void fillPattern(VirtualSensorRig& rig) {
    auto& memory = rig.sensor.memory();
    for (size_t a = 0; a < memory.eeprom.size(); ++a)
        memory.eeprom[a] = static_cast<uint8_t>((a * 7 + 3) & 0xFF);
    for (int a = 0; a < 256; ++a)
        if (a != 65) memory.ram[a] = static_cast<uint8_t>(255 - a);
}

class WholeMemories : public ::testing::TestWithParam<LineTiming> {};

TEST_P(WholeMemories, ReadTheWholeEepromAndRam) {
    VirtualSensorRig rig(6, 0, GetParam());
    fillPattern(rig);
    ASSERT_TRUE(SensorMemRead(rig.ctx(), 30, 0, 0, true, true)) << rig.ctx().ErrorText;
    ASSERT_TRUE(SensorMemRead(rig.ctx(), 8, 0, 0, false, false)) << rig.ctx().ErrorText;
    for (int a = 0; a < 512; ++a) {
        ASSERT_EQ(rig.ctx().EeImage[a], rig.sensor.memory().eeprom[a]) << a;
        ASSERT_TRUE(rig.ctx().EeRead[a]) << a;
    }
    EXPECT_EQ(rig.ctx().RamImage[200], 55);
    EXPECT_FALSE(rig.sensor.isOpen());
    EXPECT_EQ(rig.sensor.dtrPulses(), 0);
}

INSTANTIATE_TEST_SUITE_P(Timing, WholeMemories,
                         ::testing::Values(LineTiming::Instant, LineTiming::RealTime));

TEST(LinkWithVirtualSensor, Platform6SendsItsChangedSettingsAndEndsLocked) {
    VirtualSensorRig rig(6, 0, LineTiming::RealTime);
    fillPattern(rig);
    Context& ctx = rig.ctx();
    ASSERT_TRUE(SensorMemRead(ctx, 30, 0, 0, true, false));
    rig.sensor.clearRecord();
    ctx.EeImage[101] = 42;
    ctx.EeImage[300] = 7;
    ASSERT_TRUE(SensorMemWrite(ctx, 30, 0, 0, true, true, false, true, true, false))
        << ctx.ErrorText;
    EXPECT_EQ(rig.sensor.memory().eeprom[101], 42);
    EXPECT_EQ(rig.sensor.memory().eeprom[300], 7);
    EXPECT_TRUE(rig.sensor.eepromLocked());
    EXPECT_EQ(rig.sensor.savesToRam(), 1);
    EXPECT_EQ(rig.sensor.opens(), 1);
    // TMO reset, unlock, two words, lock, save to RAM.
    EXPECT_EQ(rig.sensor.requests().size(), 6u);
    EXPECT_EQ(ctx.EeLast[101], 42);
}

TEST(LinkWithVirtualSensor, Platform7ReadsAndWritesAcrossPages) {
    VirtualSensorRig rig(7, 1);
    fillPattern(rig);
    Context& ctx = rig.ctx();
    ASSERT_TRUE(SensorMemRead(ctx, 0, 1000, 24, true, false));
    EXPECT_EQ(ctx.EeImage[1023], rig.sensor.memory().eeprom[1023]);
    for (int a = 14; a <= 17; ++a) ctx.EeImage[a] = static_cast<float>(a);
    ASSERT_TRUE(SensorMemWrite(ctx, 0, 14, 4, true, false, false, true, true, true))
        << ctx.ErrorText;
    for (int a = 14; a <= 17; ++a) EXPECT_EQ(rig.sensor.memory().eeprom[a], a);
    EXPECT_TRUE(rig.sensor.eepromLocked());
}

TEST(LinkWithVirtualSensor, SilenceBeyondTenAttemptsWakesTheLine) {
    VirtualSensorRig rig(61);
    rig.sensor.silentFor(12);
    ASSERT_TRUE(SensorMemRead(rig.ctx(), 0, 65, 1, false, false));
    EXPECT_EQ(rig.sensor.dtrPulses(), 1);
}

TEST(LinkWithVirtualSensor, BadChecksumIsReadAgain) {
    VirtualSensorRig rig(61);
    fillPattern(rig);
    rig.sensor.corruptChecksumOnce();
    ASSERT_TRUE(SensorMemRead(rig.ctx(), 0, 10, 4, false, false));
    EXPECT_EQ(rig.sensor.requests().size(), 2u);
    EXPECT_EQ(rig.ctx().RamImage[12], 243);
}

// Wherever the adapter goes (request-to-send, frame, unlock, lock or save), the transaction
// fails with a message, never reports success and never waits for a reply that cannot come.
TEST(LinkWithVirtualSensor, UnpluggedAdapterFailsTheTransactionWhereverItGoes) {
    const std::function<bool(Context&)> transactions[] = {
        [](Context& ctx) { return SensorMemRead(ctx, 8, 0, 0, false, false); },
        [](Context& ctx) {
            ctx.EeRead.fill(true);
            return SensorMemWrite(ctx, 0, 14, 4, true, true, false, true, true, true);
        },
        [](Context& ctx) {  // RAM saved to the EEPROM after it
            return SensorMemWrite(ctx, 0, 162, 1, false, true, false, false, false, true);
        },
    };
    for (const auto& run : transactions) {
        VirtualSensorRig whole(61);
        ASSERT_TRUE(run(whole.ctx()));
        for (int sent = 0; sent < static_cast<int>(whole.sensor.received().size()); ++sent) {
            SCOPED_TRACE("adapter gone after byte " + std::to_string(sent));
            VirtualSensorRig rig(61);
            rig.sensor.vanishAfter(sent);
            const int64_t startMs = rig.t.clock.tickMs();
            EXPECT_FALSE(run(rig.ctx()));
            EXPECT_LT(rig.t.clock.tickMs() - startMs, 1000);
            EXPECT_FALSE(rig.ctx().ErrorText.empty());
        }
    }
}

// The memory layout comes from the identification byte: without a platform there is none.
TEST(LinkWithVirtualSensor, AnUnknownProductHasNoEepromToRead) {
    VirtualSensorRig rig(61);
    rig.sensor.memory().ram[kRamIdByte] = 0;
    EXPECT_FALSE(SensorMemRead(rig.ctx(), 0, 0, 2, true, false));
    EXPECT_EQ(rig.ctx().ErrorText, "Unknown product");
}

TEST(LinkWithVirtualSensor, APortThatWillNotOpenFailsEveryTransaction) {
    const std::function<bool(Context&)> transactions[] = {
        [](Context& ctx) { return SensorMemRead(ctx, 0, 0, 2, true, false); },
        [](Context& ctx) {
            return SensorMemWrite(ctx, 0, 14, 2, true, false, false, false, false, true);
        },
        [](Context& ctx) { return SensorCommand(ctx, kTwaReset, false); },
    };
    for (const auto& run : transactions) {
        VirtualSensorRig rig(61);
        ASSERT_TRUE(SensorMemRead(rig.ctx(), 0, kRamIdByte, 1, false, false));  // identified
        rig.ctx().EeRead.fill(true);
        rig.sensor.refuseOpen(true);
        EXPECT_FALSE(run(rig.ctx()));
        EXPECT_FALSE(rig.ctx().ErrorText.empty());
    }
}

TEST(LinkWithVirtualSensor, RefusedWritesLeaveTheEepromLocked) {
    VirtualSensorRig rig(61);
    rig.sensor.refuseWrites(true);
    rig.ctx().EeRead.fill(true);
    rig.ctx().EeImage[40] = 1;
    EXPECT_FALSE(SensorMemWrite(rig.ctx(), 30, 0, 0, true, true, false, true, true, false));
    EXPECT_EQ(rig.ctx().ErrorText, "Can't save to sensor");
    EXPECT_TRUE(rig.sensor.eepromLocked());
    EXPECT_EQ(rig.sensor.savesToRam(), 0);
}

TEST(LinkWithVirtualSensor, NetworkSensorAnswersOnlyItsOwnId) {
    VirtualSensorRig rig(61);
    rig.sensor.setNetworkId(5);
    rig.ctx().SensorAddress = 5;
    EXPECT_TRUE(SensorMemRead(rig.ctx(), 0, 65, 1, false, false));
    rig.ctx().SensorAddress = 6;
    EXPECT_FALSE(SensorMemRead(rig.ctx(), 0, 65, 1, false, false));
}

TEST(LinkWithVirtualSensor, TwaResetAndSaves) {
    VirtualSensorRig rig(61);
    EXPECT_TRUE(SensorCommand(rig.ctx(), kTwaReset, false));
    EXPECT_EQ(rig.sensor.twaResets(), 1);
    rig.ctx().RamImage[162] = 9;
    EXPECT_TRUE(SensorMemWrite(rig.ctx(), 0, 162, 1, false, true, false, false, false, true));
    EXPECT_EQ(rig.sensor.savesToEeprom(), 1);
}

// A reply that comes after the reply wait lands in a later attempt: before its request,
// between request-to-send and clear-to-send, or in the settle time. Wherever it lands it
// must be taken for neither a clear-to-send nor the data.
TEST(LinkWithVirtualSensor, LateRepliesNeverEndUpInTheImage) {
    for (int64_t lateMs = 200; lateMs <= 420; lateMs += 3) {
        VirtualSensorRig rig(61, 0, LineTiming::RealTime);
        fillPattern(rig);
        Context& ctx = rig.ctx();
        bool delayed = false;
        rig.t.pump.onEvents([&] {
            if (!delayed && rig.sensor.handshakesAnswered() == 1) {
                delayed = true;
                rig.sensor.answerLateBy(lateMs, 1);  // the reply to the first request
            }
        });
        ASSERT_TRUE(SensorMemRead(ctx, 0, 10, 6, false, true)) << lateMs;
        ASSERT_GE(rig.sensor.requests().size(), 2u) << lateMs;
        ASSERT_TRUE(SensorMemRead(ctx, 0, 40, 2, false, false)) << lateMs;
        for (int a : {10, 11, 12, 13, 14, 15, 40, 41})
            ASSERT_EQ(ctx.RamImage[a], 255 - a) << "late by " << lateMs << " at " << a;
    }
}

TEST(LinkWithVirtualSensor, PortCheckSeesAnotherMaster) {
    VirtualSensorRig rig(6);
    EXPECT_TRUE(CheckPortFree(rig.ctx(), 2));
    rig.sensor.otherMasterTalking(true);
    EXPECT_FALSE(CheckPortFree(rig.ctx(), 2));
    EXPECT_EQ(rig.ctx().ErrorText, "Central unit must be set to slave mode or be disconnected.");
    rig.ctx().ErrorText.clear();
    rig.sensor.otherMasterTalking(false);
    rig.sensor.refuseOpen(true);
    EXPECT_FALSE(CheckPortFree(rig.ctx(), 2));
    EXPECT_EQ(rig.ctx().ErrorText, "This port is locked by other devise\nPermission denied");
}

// A range past the end of a memory used to transfer nothing and report success, so a
// calibration word "written" to address 760 of a 512-byte EEPROM seemed stored. A range
// that reaches one byte past either EEPROM, or past the RAM, is refused; the last word is read.
TEST(LinkWithVirtualSensor, RangesPastTheMemoryAreRefusedBeforeAnythingIsSent) {
    for (const auto& [platform, version, top] : {std::tuple{61, 0, 511}, {7, 1, 1023}}) {
        VirtualSensorRig rig(platform, version, LineTiming::Instant);
        Context& ctx = rig.ctx();
        ASSERT_EQ(GetPlatform(ctx), platform);
        rig.sensor.clearRecord();
        const auto outside = [](int first, const char* memory, int last) {
            return "Address " + std::to_string(first) + " to " + std::to_string(first + 1) +
                   " is outside the sensor's " + memory + " (0 to " + std::to_string(last) + ")";
        };
        EXPECT_FALSE(SensorMemWrite(ctx, 0, static_cast<float>(top), 2, true, false, false, true,
                                    true, true));
        EXPECT_EQ(ctx.ErrorText, outside(top, "EEPROM", top));
        EXPECT_TRUE(rig.sensor.requests().empty());
        EXPECT_TRUE(rig.sensor.eepromLocked());

        ctx.ErrorText.clear();
        EXPECT_FALSE(SensorMemRead(ctx, 0, 255, 2, false, false));
        EXPECT_EQ(ctx.ErrorText, outside(255, "RAM", 255));
        EXPECT_TRUE(rig.sensor.requests().empty());

        ctx.ErrorText.clear();
        EXPECT_TRUE(SensorMemRead(ctx, 0, static_cast<float>(top - 1), 2, true, false))
            << ctx.ErrorText;
    }
}

}  // namespace
}  // namespace kelvo
