// The virtual sensors' factory images seen through the sensor model, over the link: they
// identify as their platform and version, and every channel shows a plausible value.
#include "virtualsensor/factory_images.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "files/definition_file.h"
#include "link/address_lists.h"
#include "model/channels.h"
#include "model/identification.h"
#include "model/tables.h"
#include "support/virtual_sensor_rig.h"

namespace kelvo {
namespace {

using test::VirtualSensorRig;

struct Expected {
    float channel;
    const char* name;
    const char* unit;
    double low, high;
};

struct Sensor {
    int platform;
    int version;
    std::vector<Expected> channels;
};

const Expected kTemp6{2, "Temp", "C", 20, 25};
const Expected kRh6{6, "RH", "%", 35, 47};
const Expected kCo2_6{11, "CO2", "ppm", 380, 520};

std::vector<Sensor> sensors() {
    const Expected temp5{0, "Temp", "C", 20, 25}, co2_5{1, "CO2", "ppm", 380, 520},
        rh5{2, "RH", "%", 35, 47};
    const Expected temp61{4, "Temp", "C", 20, 25}, co2_61{5, "CO2", "ppm", 380, 520},
        o2_61{6, "Ch 6", "%", 20, 22}, o2_7{6, "O2", "%", 20, 22},
        co2Percent{5, "CO2", "%", 0.038, 0.052};  // the high-range unit shows CO2 in %
    std::vector<Sensor> all;
    for (int v = 0; v <= 3; ++v) all.push_back({5, v, {temp5, co2_5, rh5}});
    for (int v = 0; v <= 5; ++v) {
        Expected temp = kTemp6;
        if (v == 2 || v == 3) temp = {3, "Temp", "C", 20, 25};  // channel 2 hidden, or 223
        std::vector<Expected> channels{temp, kRh6, kCo2_6};
        // Version 2 measures CO on channel 10; clean air has next to none.
        if (v == 2) channels.push_back({10, "CO", "ppm", 0, 5});
        all.push_back({6, v, channels});
    }
    all.push_back({61, 0, {temp61, co2Percent, o2_61}});
    all.push_back({61, 1, {temp61, co2_61}});
    for (int v = 1; v <= 2; ++v) all.push_back({7, v, {temp61, co2_61, o2_7}});
    return all;
}

TEST(FactoryImages, IdentifyAndShowPlausibleValues) {
    for (const Sensor& s : sensors()) {
        SCOPED_TRACE("platform " + std::to_string(s.platform) + " version " +
                     std::to_string(s.version));
        VirtualSensorRig rig(s.platform, s.version);
        Context& ctx = rig.ctx();
        ctx.AppDir = std::string(KELVO_SOURCE_DIR) + "/data";
        EXPECT_EQ(GetPlatform(ctx), s.platform);
        EXPECT_EQ(GetVersion(ctx), s.version);
        EXPECT_NE(SerialText(ctx), "");
        for (const Expected& e : s.channels) {
            SCOPED_TRACE(e.name);
            if (s.platform == 5 || s.platform == 6) {
                EXPECT_TRUE(ChannelPresent(ctx, e.channel, false, false));
            }
            EXPECT_EQ(ChannelName(ctx, e.channel, false), e.name);
            EXPECT_EQ(GetUnitText(ctx, e.channel), e.unit);
            const std::string text = FormatChannelValue(ctx, GetChannelValue(ctx, e.channel, false),
                                                        e.channel, false, false);
            ASSERT_FALSE(text.empty());
            const double value = std::strtod(text.c_str(), nullptr);
            EXPECT_GE(value, e.low) << text;
            EXPECT_LE(value, e.high) << text;
        }
        EXPECT_EQ(ctx.ErrorText, "");
    }
}

TEST(FactoryImages, OnlyTheVersionsWeMake) {
    for (const auto& [platform, version] : {std::pair{5, 4}, {6, 6}, {61, 2}, {7, 0}, {8, 0}})
        EXPECT_FALSE(virtualsensor::FactoryImage(platform, version)) << platform << "v" << version;
}

TEST(FactoryImages, Platform6NamesFollowTheProduct) {
    VirtualSensorRig swapped(6, 3);
    EXPECT_EQ(ChannelName(swapped.ctx(), 0, false), "Out 2");
    EXPECT_FALSE(ChannelPresent(swapped.ctx(), 2, false, false));
    VirtualSensorRig threeOutputs(6, 2);
    EXPECT_EQ(ChannelName(threeOutputs.ctx(), 10, false), "CO");
    EXPECT_FALSE(ChannelPresent(threeOutputs.ctx(), 12, false, false));
}

// The model reads what it lacks, once; live values afresh on every call.
TEST(LazyReads, ImageBytesAreFetchedOnceAndValuesEveryTime) {
    VirtualSensorRig rig(6, 0);
    Context& ctx = rig.ctx();
    EXPECT_EQ(GetSerialNumber(ctx), 31415);
    const size_t afterSerial = rig.sensor.requests().size();
    EXPECT_EQ(GetSerialNumber(ctx), 31415);
    EXPECT_EQ(GetUnitText(ctx, 11), "ppm");
    const size_t afterUnit = rig.sensor.requests().size();
    EXPECT_GT(afterUnit, afterSerial);
    EXPECT_EQ(GetDecimals(ctx, 2), 100);  // the descriptors came as one block
    EXPECT_EQ(rig.sensor.requests().size(), afterUnit);
    GetChannelValue(ctx, 11, false);
    GetChannelValue(ctx, 11, false);
    EXPECT_EQ(rig.sensor.requests().size(), afterUnit + 2);
    EXPECT_EQ(GetTableEntry(ctx, 4, 15), 5000);  // table 4 over its address list
    const size_t afterTable = rig.sensor.requests().size();
    EXPECT_EQ(GetTableEntry(ctx, 4, 3), GetTableEntry(ctx, 4, 3));
    EXPECT_EQ(rig.sensor.requests().size(), afterTable);
}

TEST(LazyReads, FailedReadGivesNeutralResultsAndTheReadsMessage) {
    VirtualSensorRig rig(6, 0);
    Context& ctx = rig.ctx();
    GetIdByte(ctx);
    rig.sensor.silentFor(100000);
    EXPECT_EQ(GetChannelValue(ctx, 11, true), 0);
    EXPECT_EQ(ctx.ErrorText, "Can't read from sensor");
    EXPECT_EQ(GetChannelValue(ctx, 11, false), 0);
    EXPECT_EQ(GetZeroWord(ctx, 11), 0);
    EXPECT_EQ(GetVersion(ctx), 0);
    EXPECT_EQ(GetUnitText(ctx, 11), "");
    EXPECT_EQ(ChannelName(ctx, 10, false), "");
    ctx.EeImage[98] = 0xFF;  // typed in but never read: the failed read still says no
    for (const float channel : {2, 11, 12})
        EXPECT_FALSE(ChannelPresent(ctx, channel, false, false));
    EXPECT_EQ(GetChannelKind(ctx, 11), 0);
    EXPECT_EQ(GetCO2Factor(ctx), 0);
    EXPECT_EQ(GetZeroReference(ctx, 0), 0);
    ctx.RamRead[kRamIdByte] = false;  // the identification byte, held but unknown, too
    EXPECT_EQ(GetIdByte(ctx), 0);
    VirtualSensorRig five(5, 0);
    GetIdByte(five.ctx());
    five.sensor.silentFor(100000);
    EXPECT_EQ(GetChannelValue(five.ctx(), 1, false), 0);
}

TEST(LazyReads, LeaveTheCallersSelectionAlone) {
    VirtualSensorRig rig(6, 0);
    Context& ctx = rig.ctx();
    SelectAddressList(ctx, 13);
    const auto selection = ctx.AddressMask;
    EXPECT_EQ(GetVersion(ctx), 0);
    EXPECT_EQ(GetTableEntry(ctx, 4, 15), 5000);
    GetChannelValue(ctx, 11, true);
    EXPECT_EQ(ctx.AddressMask, selection);
}

// A word or entry stored into bytes not read yet must survive the read a later query makes.
TEST(LazyReads, StoredValuesAreNotReadOver) {
    VirtualSensorRig rig(6, 0);
    Context& ctx = rig.ctx();
    SetTableEntry(ctx, 4, 3, 12345);
    EXPECT_EQ(GetTableEntry(ctx, 4, 14),
              rig.sensor.memory().eeprom[444 + 28] * 256 + rig.sensor.memory().eeprom[444 + 29]);
    EXPECT_EQ(GetTableEntry(ctx, 4, 3), 12345);
    EXPECT_TRUE(SetZeroWord(ctx, 11, false, false, 31000));
    EXPECT_EQ(GetZeroWord(ctx, 11), 31000);
    VirtualSensorRig seven(7, 1);
    SetTableEntry(seven.ctx(), 2, 0, 777);
    EXPECT_EQ(GetTableEntry(seven.ctx(), 2, 0), 777);
    EXPECT_EQ(seven.ctx().ErrorText, "");
}

TEST(LazyReads, Platform5TablesComeFromTheDefinitionNotTheSensor) {
    VirtualSensorRig rig(5, 0);
    Context& ctx = rig.ctx();
    ctx.AppDir = std::string(KELVO_SOURCE_DIR) + "/data";
    GetIdByte(ctx);
    const size_t before = rig.sensor.requests().size();
    ASSERT_TRUE(LoadDefinition(ctx)) << ctx.ErrorText;
    EXPECT_EQ(GetTableEntry(ctx, 1, 15), 5000);
    EXPECT_EQ(rig.sensor.requests().size(), before);
}

TEST(LazyReads, ChannelValueModes) {
    VirtualSensorRig rig(6, 0);
    Context& ctx = rig.ctx();
    rig.sensor.memory().ram[34] = 3;
    EXPECT_EQ(GetChannelValue(ctx, 13, true), 3);  // one byte
    EXPECT_EQ(GetChannelValue(ctx, 13, false), 3);
    EXPECT_TRUE(ctx.RamRead[236]);  // the bulk reads came first
    EXPECT_EQ(GetChannelValue(ctx, 14, false), 0);
    VirtualSensorRig five(5, 0);
    const float co2 = GetChannelValue(five.ctx(), 1, true);
    EXPECT_GT(co2, 5300);
    EXPECT_LT(co2, 5600);
}

}  // namespace
}  // namespace kelvo
