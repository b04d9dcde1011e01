#include "model/channels.h"

#include <gtest/gtest.h>

#include <tuple>

#include "model/identification.h"
#include "model/image_fill.h"
#include "support/test_context.h"

namespace kelvo {
namespace {

using test::setEe;
using test::setRam;
using test::TestContext;

// A read platform-6 sensor of version 0 with one descriptor set.
void platform6(Context& ctx, uint8_t id = 222) {
    test::markAllRead(ctx);
    setRam(ctx, kRamIdByte, id);
    setEe(ctx, 165, 1);
    setEe(ctx, 173, 6);
}

void platform7(Context& ctx) {
    test::markAllRead(ctx);
    setRam(ctx, kRamIdByte, 0x20);
    setEe(ctx, 1023, 1);
}

// A platform-5 sensor whose definition is already loaded: Temp (code 0), CO2 (4), RH (5).
void platform5(Context& ctx) {
    test::markAllRead(ctx);
    setRam(ctx, kRamIdByte, 231);
    setRam(ctx, 206, 0x0F);
    ProductDefinition& d = ctx.Definition;
    d.loadedIdByte = 231;
    d.channelName = {"Temp", "CO2", "RH", "Spare"};
    d.channelEnable = {1, 1, 1, 0};
    d.unitCode = {0, 4, 5, 0};
}

TEST(ChannelFormat, BiasScaleAndDecimalsFromTheDescriptor) {
    TestContext t;
    platform6(t.ctx);
    // Bit 7 bias, bits 6..5 scale, 4..2 unit, 1..0 decimals; channels 0 and 12 are the first
    // and last with one, and the error channel 13 ignores the byte after them.
    const struct {
        int channel, descriptor, offsetFlag, scale, decimals;
        const char* unit;
    } rows[] = {
        {11, 0x92, 1, 1, 100, "ppm"},  {0, 0xCD, 1, 100, 1000, "V"}, {12, 0xB4, 1, 10, 1, "%"},
        {5, 0x7B, 0, 163, 10, "g/kg"}, {1, 0x1C, 0, 1, 1, "tool"},   {13, 0xFF, 0, 1, 1, ""},
    };
    for (const auto& r : rows) setEe(t.ctx, 218 + r.channel, r.descriptor);
    for (const auto& r : rows) {
        EXPECT_EQ(GetOffsetFlag(t.ctx, r.channel), r.offsetFlag) << r.channel;
        EXPECT_EQ(GetScale(t.ctx, r.channel), r.scale) << r.channel;
        EXPECT_EQ(GetDecimals(t.ctx, r.channel), r.decimals) << r.channel;
        EXPECT_EQ(GetUnitText(t.ctx, r.channel), r.unit) << r.channel;
    }
    EXPECT_EQ(GetDecimals(t.ctx, -1), 0);  // no channel, no descriptor
    EXPECT_EQ(FormatChannelValue(t.ctx, 5600, 11, false, false), "6");
    EXPECT_EQ(ParseChannelValue(t.ctx, "6", 11, false), 5600);
    EXPECT_EQ(ParseChannelValue(t.ctx, "6", 11, true), 600);
    EXPECT_EQ(FormatChannelValue(t.ctx, 600, 11, true, false), "6");
    // Truncation before the decimals unless the fraction is kept.
    setEe(t.ctx, 218 + 2, 0x80 | 0x20 | 0x04 | 0x03);  // bias, scale 10, C, tenths
    EXPECT_EQ(FormatChannelValue(t.ctx, 5000 + 2257, 2, false, false), "22.5");
    EXPECT_EQ(FormatChannelValue(t.ctx, 5000 + 2257, 2, false, true), "22.57");
}

TEST(ChannelFormat, FahrenheitConvertsBothWays) {
    TestContext t;
    platform6(t.ctx);
    setEe(t.ctx, 218 + 3, 0x0B);  // no bias, scale 1, F, tenths
    EXPECT_EQ(GetUnitText(t.ctx, 3), "F");
    EXPECT_EQ(FormatChannelValue(t.ctx, 200, 3, false, false), "68");
    EXPECT_EQ(ParseChannelValue(t.ctx, "68", 3, false), 200);
    EXPECT_EQ(FormatChannelValue(t.ctx, 215, 3, false, false), "70.7");
}

TEST(ChannelFormat, TypedDecimalsAreNotTruncatedAway) {
    TestContext t;
    platform6(t.ctx);
    setEe(t.ctx, 218 + 2, 0x86);  // bias, C, hundredths
    EXPECT_EQ(ParseChannelValue(t.ctx, "22.53", 2, false), 7253);
    EXPECT_EQ(ParseChannelValue(t.ctx, "0.29", 2, true), 29);
    EXPECT_EQ(ParseChannelValue(t.ctx, "22.537", 2, true), 2253);  // more decimals than kept
    EXPECT_EQ(ParseChannelValue(t.ctx, "22,5 C", 2, false), 7250);
}

TEST(ChannelFormat, Platform7IsSignedAndWrapsBack) {
    TestContext t;
    platform7(t.ctx);
    setEe(t.ctx, 792 + 4, 0x00);  // no scale, no decimals
    EXPECT_EQ(FormatChannelValue(t.ctx, 65436, 4, false, false), "-100");
    EXPECT_EQ(ParseChannelValue(t.ctx, "-100", 4, false), 65436);
    setEe(t.ctx, 792 + 4, 0x40 | 0x04 | 0x03);  // scale code 2 is 16 here, C, tenths
    EXPECT_EQ(GetScale(t.ctx, 4), 16);
    EXPECT_EQ(GetOffsetFlag(t.ctx, 4), 0);
    EXPECT_EQ(FormatChannelValue(t.ctx, 16 * 225, 4, false, false), "22.5");
}

TEST(ChannelFormat, ErrorChannelParsesToItsLowByte) {
    TestContext t;
    platform6(t.ctx);
    EXPECT_EQ(ParseChannelValue(t.ctx, "300", 13, false), 44);
}

TEST(ChannelFormat, UnreadableDescriptorShowsNoNumber) {
    TestContext t;
    setRam(t.ctx, kRamIdByte, 222);  // nothing else read, and the sensor stays silent
    EXPECT_EQ(FormatChannelValue(t.ctx, 5600, 11, false, false), "");
    EXPECT_FALSE(t.ctx.ErrorText.empty());
}

TEST(ChannelFormat, Platform5ByUnitCode) {
    TestContext t;
    platform5(t.ctx);
    EXPECT_EQ(FormatChannelValue(t.ctx, 7345, 0, true, false), "73.4");  // 734.5 to even
    EXPECT_EQ(FormatChannelValue(t.ctx, 7355, 0, true, false), "73.6");
    EXPECT_EQ(FormatChannelValue(t.ctx, 5000 + 2250, 0, false, false), "22.5");
    EXPECT_EQ(ParseChannelValue(t.ctx, "22.5", 0, false), 7250);
    EXPECT_EQ(FormatChannelValue(t.ctx, 5412, 1, false, false), "412");
    EXPECT_EQ(ParseChannelValue(t.ctx, "412", 1, false), 5412);
    EXPECT_EQ(FormatChannelValue(t.ctx, 5000 + 41230, 2, false, false), "41.23");
    EXPECT_EQ(GetUnitText(t.ctx, 2), "%");
    EXPECT_EQ(GetUnitText(t.ctx, 4), "");
    EXPECT_EQ(FormatChannelValue(t.ctx, 1234, 4, false, false), "1234");
    EXPECT_EQ(ParseChannelValue(t.ctx, "1234", 4, false), 1234);
    // g/kg in tenths or hundredths; % in thousandths.
    for (const auto& [code, value, text, unit] :
         {std::tuple{8, 5123, "12.3", "g/kg"}, std::tuple{9, 6234, "12.34", "g/kg"},
          std::tuple{15, 17345, "12.345", "%"}}) {
        t.ctx.Definition.unitCode[3] = code;
        EXPECT_EQ(FormatChannelValue(t.ctx, value, 3, false, false), text);
        EXPECT_EQ(ParseChannelValue(t.ctx, text, 3, false), value);
        EXPECT_EQ(GetUnitText(t.ctx, 3), unit);
    }
    // An unknown unit code shows nothing and parses as the bias alone.
    t.ctx.Definition.unitCode[3] = 12;
    EXPECT_EQ(FormatChannelValue(t.ctx, 7000, 3, false, false), "");
    EXPECT_EQ(ParseChannelValue(t.ctx, "5", 3, false), 5000);
}

TEST(ChannelFormat, Platform5UnitBytesOverrideTheDefinition) {
    TestContext t;
    platform5(t.ctx);
    setRam(t.ctx, 205, 0x20);  // Fahrenheit on channel 0
    EXPECT_EQ(GetUnitText(t.ctx, 0), "F");
    EXPECT_EQ(FormatChannelValue(t.ctx, 5000 + 2000, 0, false, false), "68");
    EXPECT_NEAR(ParseChannelValue(t.ctx, "68", 0, false), 7000, 0.01);
    setRam(t.ctx, 206, 0x12);  // then channel 2 in whole degrees C
    EXPECT_EQ(GetUnitText(t.ctx, 2), "C");
    setRam(t.ctx, 206, 0x10);  // the second byte wins over the first
    EXPECT_EQ(GetUnitText(t.ctx, 0), "C");
    setRam(t.ctx, 206, 0x30);  // unit bytes that cannot be read leave the definition's unit
    t.ctx.RamRead[206] = false;
    EXPECT_EQ(GetUnitText(t.ctx, 0), "C");
    t.ctx.ErrorText.clear();
    // Platform 5 takes scale and decimals from its definition, not from descriptors.
    EXPECT_EQ(GetDecimals(t.ctx, 0), 0);
    EXPECT_EQ(t.ctx.ErrorText, "Ej klart");
    EXPECT_EQ(GetScale(t.ctx, 0), 0);
    EXPECT_EQ(GetOffsetFlag(t.ctx, 0), 1);
}

TEST(ChannelNames, Platform6PairsAndSwaps) {
    // Byte 98 says which of channels 2..8 are fitted: a pair's name is numbered only when
    // its partner is fitted. Byte 90 turns output 4 into CO; identification 223 swaps
    // outputs 1 and 2. A channel that is no index keeps its number.
    const struct {
        int fitted, byte90, id;
        float channel;
        bool relays;
        const char* name;
    } cases[] = {
        {0x03, 0, 222, 2, false, "Temp 1"}, {0x03, 0, 222, 3, false, "Temp 2"},
        {0x01, 0, 222, 2, false, "Temp"},   {0x50, 0, 222, 6, false, "RH"},
        {0x20, 0, 222, 7, false, "RH"},     {0x30, 0, 222, 7, false, "RH 2"},
        {0x50, 0, 222, 0, false, "Out 1"},  {0x50, 0, 222, 9, false, "Out 3"},
        {0x50, 0, 222, 9, true, "Relay 1"}, {0x50, 0, 222, 10, true, "Relay 2"},
        {0x50, 0, 222, 14, false, "Ch 14"}, {0x50, 1, 222, 10, true, "CO"},
        {0x50, 1, 223, 0, false, "Out 2"},  {0x50, 1, 223, 1, false, "Out 1"},
        {0x50, 0, 222, -1, false, "Ch -1"}, {0x50, 0, 222, 2.5f, false, "Ch 2.5"},
        {0x04, 0, 222, 4, false, "AH"},     {0x0C, 0, 222, 4, false, "AH 1"},
        {0x50, 0, 0, -1, false, ""},
    };
    for (const auto& c : cases) {
        TestContext t;
        platform6(t.ctx, static_cast<uint8_t>(c.id));
        setEe(t.ctx, 98, c.fitted);
        setEe(t.ctx, 90, c.byte90);
        EXPECT_EQ(ChannelName(t.ctx, c.channel, c.relays), c.name) << c.channel << " " << c.id;
    }
}

TEST(ChannelNames, Platforms61And7AndFive) {
    TestContext t;
    platform7(t.ctx);
    EXPECT_EQ(ChannelName(t.ctx, 6, false), "O2");
    EXPECT_FALSE(ChannelPresent(t.ctx, 4, false, false));
    EXPECT_EQ(ChannelName(t.ctx, 3, false), "Ch 3");
    EXPECT_EQ(ChannelName(t.ctx, 14, false), "Ch 14");
    EXPECT_EQ(ChannelName(t.ctx, 15, false), "Ch 15");
    setRam(t.ctx, kRamIdByte, 214);
    EXPECT_FALSE(ChannelPresent(t.ctx, 5, false, false));  // not answered for platform 61
    EXPECT_EQ(t.ctx.ErrorText, "Ej klart");
    EXPECT_EQ(ChannelName(t.ctx, 14, false), "Old 0");
    EXPECT_EQ(ChannelName(t.ctx, 15, false), "Dtemp");
    EXPECT_EQ(ChannelName(t.ctx, 6, false), "Ch 6");
    platform5(t.ctx);
    EXPECT_EQ(ChannelName(t.ctx, 1, false), "CO2");
    EXPECT_EQ(ChannelName(t.ctx, 3, false), "OFF");
    EXPECT_TRUE(ChannelPresent(t.ctx, 2, false, false));
    EXPECT_FALSE(ChannelPresent(t.ctx, 3, false, false));
    EXPECT_FALSE(ChannelPresent(t.ctx, 4, false, false));
}

TEST(ChannelPresence, Platform6Rules) {
    TestContext t;
    platform6(t.ctx);
    setEe(t.ctx, 98, 0x7F);   // channels 2..8
    setEe(t.ctx, 158, 0x00);  // CO2 and CO
    EXPECT_TRUE(ChannelPresent(t.ctx, 8, false, false));
    EXPECT_FALSE(ChannelPresent(t.ctx, 8, true, false));
    for (const float output : {0, 1, 9, 10}) {
        EXPECT_TRUE(ChannelPresent(t.ctx, output, false, false)) << output;
        EXPECT_FALSE(ChannelPresent(t.ctx, output, false, true)) << output;
    }
    EXPECT_TRUE(ChannelPresent(t.ctx, 12, false, false));
    EXPECT_TRUE(ChannelPresent(t.ctx, 13, false, true));
    EXPECT_FALSE(ChannelPresent(t.ctx, 14, false, false));
    setEe(t.ctx, 158, 0x03);  // bit 0 plays no part
    EXPECT_FALSE(ChannelPresent(t.ctx, 11, false, false));
    EXPECT_TRUE(ChannelPresent(t.ctx, 12, false, false));
    // Version 1 has no outputs 3 and 4.
    setEe(t.ctx, 173, 1);
    EXPECT_FALSE(ChannelPresent(t.ctx, 9, false, false));
    // Version 2: no CO channel 12 and no channel 2, but channel 10 is a measurement.
    setEe(t.ctx, 90, 1);
    EXPECT_FALSE(ChannelPresent(t.ctx, 12, false, false));
    EXPECT_FALSE(ChannelPresent(t.ctx, 2, false, false));
    EXPECT_TRUE(ChannelPresent(t.ctx, 10, false, true));
    EXPECT_TRUE(ChannelPresent(t.ctx, 3, false, false));
    EXPECT_TRUE(ChannelPresent(t.ctx, 13, false, false));
}

TEST(StatusText, NamesEachShownBit) {
    EXPECT_EQ(SensorStatusText(0), "");
    EXPECT_EQ(SensorStatusText(0x02), "");  // bit 1 is not shown
    EXPECT_EQ(SensorStatusText(0x81), "FatalError Warming up ");
    EXPECT_EQ(SensorStatusText(0xFD),
              "FatalError Algorithm error Output error Selfdiagnostic error "
              "Out of range Memory error Warming up ");
}

}  // namespace
}  // namespace kelvo
