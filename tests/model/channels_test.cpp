#include "model/channels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/identification.h"
#include "model/image_fill.h"
#include "support/test_context.h"

namespace kelvo {
namespace {

using test::even;
using test::platform6;
using test::setEe;
using test::setRam;
using test::TestContext;

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

// The text a single-precision value is shown as.
std::string shown(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(static_cast<float>(v)) + 0.0);
    return text;
}

// m / 10^k as a person types it: "-22.53".
std::string typed(long long m, int k) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", k, m / std::pow(10.0, k));
    return text;
}

// Every descriptor of platforms 6 and 7, raw words on and beside each step of the scale around
// the bias and at the word's ends, texts whose value lands on and beside whole raw words.
TEST(ChannelConversions, FollowEveryDescriptorAtTheDecidingPoints) {
    for (const bool seven : {false, true}) {
        TestContext t;
        seven ? platform7(t.ctx) : platform6(t.ctx);
        for (int d = 0; d < 256; ++d) {
            const int channel = std::array{0, 5, 12}[d % 3];  // the first and last have one too
            setEe(t.ctx, (seven ? 792 : 218) + channel, d);
            const long long scale = std::array{1, 10, seven ? 16 : 100, 163}[(d >> 5) & 3];
            const long long decimals = std::array{1, 1000, 100, 10}[d & 3];
            const double bias = seven ? 0 : 5000 * (d >> 7);
            const bool fahrenheit = ((d >> 2) & 7) == 2;
            ASSERT_TRUE(
                GetScale(t.ctx, channel) == scale && GetDecimals(t.ctx, channel) == decimals &&
                GetOffsetFlag(t.ctx, channel) == bias / 5000 &&
                GetUnitText(t.ctx, channel) ==
                    (std::array{"", "C", "F", "V", "ppm", "%", "g/kg", "tool"}[(d >> 2) & 7]))
                << d;
            std::vector<double> raws = {0, 1, 32767, 32768, 65534, 65535};
            for (int q = -3; q <= 3; ++q)
                for (int delta = -1; delta <= 1; ++delta)
                    raws.push_back(5000.0 + q * scale + delta);
            for (const bool noBias : {false, true}) {
                for (const double raw : raws) {
                    for (const bool keep : {false, true}) {
                        double v =
                            seven ? (raw >= 32768 ? raw - 65536 : raw) : raw - (noBias ? 0 : bias);
                        v /= scale;
                        if (!keep) v = v < 0 ? std::ceil(v) : std::floor(v);
                        v /= decimals;
                        if (fahrenheit) v = even((v * 1.8 + 32) * decimals) / decimals;
                        ASSERT_EQ(FormatChannelValue(t.ctx, raw, channel, noBias, keep), shown(v))
                            << d << " " << raw << " " << noBias << keep;
                    }
                }
                // Typed texts whose exact value times decimals and scale is, or just misses,
                // a whole number; that product is cut toward zero.
                for (const long long target :
                     {0, 1, -1, 7, 100, -100, 5000, 32767, -32768, 65535}) {
                    for (int k = 0; k <= 3; ++k) {
                        const long long p10 = std::array{1, 10, 100, 1000}[k];
                        const double exact = fahrenheit
                                                 ? (target * 1.8 / (decimals * scale) + 32) * p10
                                                 : double(target) * p10 / (decimals * scale);
                        for (long long m = std::llround(exact) - 1; m <= std::llround(exact) + 1;
                             ++m) {
                            const long long word =
                                fahrenheit ? (m - 32 * p10) * 10 * decimals * scale / (18 * p10)
                                           : m * decimals * scale / p10;
                            const double expected = seven ? (word < 0 ? word + 65536 : word)
                                                          : word + (noBias ? 0 : bias);
                            ASSERT_EQ(ParseChannelValue(t.ctx, typed(m, k), channel, noBias),
                                      static_cast<float>(expected))
                                << d << " " << typed(m, k) << " " << noBias;
                        }
                    }
                }
            }
        }
    }
    // The error channel of platform 6 takes the typed number's low byte, halves to even.
    TestContext t;
    platform6(t.ctx);
    setEe(t.ctx, 218 + 13, 0xFF);  // the byte after the descriptors plays no part
    EXPECT_TRUE(GetScale(t.ctx, 13) == 1 && GetDecimals(t.ctx, 13) == 1 &&
                GetOffsetFlag(t.ctx, 13) == 0);
    EXPECT_EQ(GetUnitText(t.ctx, 13), "");
    EXPECT_TRUE(GetDecimals(t.ctx, -1) == 0 && GetScale(t.ctx, -1) == 0);  // no descriptor
    std::vector<long long> tenths = {655345, 655350, 655355, 655360, 700000};
    for (long long m = -2600; m <= 2600; m += 5) tenths.push_back(m);
    for (const long long m : tenths) {
        const double v = std::min(65535.0, double(static_cast<float>(m / 10.0)));
        const long long bits = ((static_cast<long long>(even(v)) % 256) + 256) % 256;
        ASSERT_EQ(ParseChannelValue(t.ctx, typed(m, 1), 13, false), bits) << typed(m, 1);
    }
}

TEST(ChannelConversions, Platform5FollowsEachUnitCodeAtTheDecidingPoints) {
    TestContext t;
    platform5(t.ctx);
    setRam(t.ctx, 205, 0x0F);  // no unit byte names a channel
    for (int code = 0; code < 16; ++code) {
        const int c = code % 4;
        t.ctx.Definition.unitCode[c] = code;
        EXPECT_EQ(GetUnitText(t.ctx, c),
                  (std::array{"C", "C", "F", "F", "ppm", "%", "%", "%", "g/kg", "g/kg", "", "", "",
                              "", "", "%"}[code]));
        EXPECT_EQ(GetUnitText(t.ctx, 4), "");
        const auto first =
            std::array{10, 100, 100, 100, 1, 10, 10, 100, 10, 100, 0, 0, 0, 0, 0, 1000};
        const auto second = std::array{10, 1, 1, 1, 1, 100, 1, 1, 1, 1, 0, 0, 0, 0, 0, 1};
        std::vector<double> raws = {0, 1, 65534, 65535};
        for (double raw = 4690; raw <= 5310; ++raw) raws.push_back(raw);
        for (const bool noBias : {false, true}) {
            for (const double raw : raws) {
                // Divided, for Fahrenheit converted, for codes 0..5 rounded, divided again.
                double v = (raw - (noBias ? 0 : 5000)) / first[code];
                if (code == 2 || code == 3) v = v * 1.8 + 32;
                if (code < 6 && code != 4) v = even(v);
                const std::string expected = first[code] ? shown(v / second[code]) : "";
                ASSERT_EQ(FormatChannelValue(t.ctx, raw, c, noBias, false), expected)
                    << code << " " << raw << " " << noBias;
                ASSERT_EQ(FormatChannelValue(t.ctx, raw, 4, noBias, false), shown(raw));
            }
            for (const long long m : {-1001, -1000, -999, -1, 0, 1, 5, 999, 1000, 1001, 22537}) {
                for (int k = 0; k <= 3; ++k) {
                    const double x = std::strtod(typed(m, k).c_str(), nullptr);
                    const double factor = std::array{100, 100, 0, 0, 1, 1000, 10, 100,
                                                     10,  100, 0, 0, 0, 0,    0,  1000}[code];
                    const double raw = code == 2 || code == 3 ? (x - 32) / 1.8 * 100 : x * factor;
                    ASSERT_EQ(ParseChannelValue(t.ctx, typed(m, k), c, noBias),
                              static_cast<float>(raw + (noBias ? 0 : 5000)))
                        << code << " " << typed(m, k);
                    ASSERT_EQ(ParseChannelValue(t.ctx, typed(m, k), 4, noBias),
                              static_cast<float>(x));
                }
            }
        }
    }
}

TEST(ChannelFormat, UnreadableDescriptorShowsNoNumber) {
    TestContext t;
    setRam(t.ctx, kRamIdByte, 222);  // nothing else read, and the sensor stays silent
    EXPECT_EQ(FormatChannelValue(t.ctx, 5600, 11, false, false), "");
    EXPECT_FALSE(t.ctx.ErrorText.empty());
}

TEST(ChannelFormat, Platform5UnitBytesOverrideTheDefinition) {
    TestContext t;
    platform5(t.ctx);
    setRam(t.ctx, 205, 0x21);  // Fahrenheit on channel 1, and on no other
    EXPECT_EQ(GetUnitText(t.ctx, 1), "F");
    EXPECT_EQ(GetUnitText(t.ctx, 0), "C");
    setRam(t.ctx, 205, 0x20);  // Fahrenheit on channel 0
    EXPECT_EQ(GetUnitText(t.ctx, 0), "F");
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
