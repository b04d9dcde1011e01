#include "model/identification.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <utility>
#include <vector>

#include "common/values.h"
#include "model/channels.h"
#include "model/definition_access.h"
#include "model/image_access.h"
#include "model/image_fill.h"
#include "model/tables.h"
#include "support/test_context.h"
#include "support/virtual_sensor_rig.h"

namespace kelvo {
namespace {

using test::setEe;
using test::setEeWord;
using test::setRam;
using test::setRamWord;
using test::TestContext;

void setIdByte(Context& ctx, uint8_t id) {
    ctx.RamImage[kRamIdByte] = id;
    ctx.RamRead[kRamIdByte] = true;
}

TEST(IdentificationByte, DecodesPlatformAndProtocol) {
    struct Case {
        uint8_t id;
        uint8_t platform;
        uint8_t protocol;
    };
    for (const Case c : {Case{0xE7, 5, 2}, Case{0x7F, 5, 1}, Case{0xDF, 6, 1}, Case{0xDD, 6, 1},
                         Case{0xD6, 61, 2}, Case{0xD7, 61, 2}, Case{0x20, 7, 2}}) {
        TestContext t;
        setIdByte(t.ctx, c.id);
        EXPECT_EQ(GetPlatform(t.ctx), c.platform) << int(c.id);
        EXPECT_EQ(GetProtocol(t.ctx), c.protocol) << int(c.id);
        EXPECT_EQ(t.ctx.ErrorText, "") << int(c.id);
    }
    TestContext t;  // a byte edited to a fraction counts as the nearest whole byte: 96, not 95
    setIdByte(t.ctx, 0);
    t.ctx.RamImage[kRamIdByte] = 95.6f;
    EXPECT_EQ(GetPlatform(t.ctx), 5);
}

TEST(IdentificationByte, UnknownFamiliesNameTheFirstError) {
    for (uint8_t id : {0x00, 0x1F, 0xC0 ^ 0x80 /* family 2, sub-family 0 */, 0x88}) {
        TestContext t;
        setIdByte(t.ctx, id);
        EXPECT_EQ(GetPlatform(t.ctx), 0) << int(id);
        EXPECT_EQ(t.ctx.ErrorText, "Unknown product");
        EXPECT_EQ(GetProtocol(t.ctx), 0);
        EXPECT_EQ(t.ctx.ErrorText, "Unknown product");  // the first message stays
        // Nor does an unknown product give anything else but 0.
        for (const float value :
             {GetVersion(t.ctx), GetSerialNumber(t.ctx), GetCO2Factor(t.ctx),
              GetChannelValue(t.ctx, 1, false), GetDecimals(t.ctx, 1), float(GetScale(t.ctx, 1)),
              float(GetChannelKind(t.ctx, 2)), float(GetChannelTable(t.ctx, 1))})
            EXPECT_EQ(value, 0) << int(id);
    }
    TestContext t;
    setIdByte(t.ctx, 0);
    t.ctx.ErrorText = "Earlier";
    GetPlatform(t.ctx);
    EXPECT_EQ(t.ctx.ErrorText, "Earlier");
}

// A platform-6 or -61 image with the version bytes read.
void versionImage(Context& ctx, uint8_t id, int eeprom165, int eeprom173, int eeprom90 = 0) {
    test::markAllRead(ctx);
    setRam(ctx, kRamIdByte, id);
    setEe(ctx, 165, eeprom165);
    setEe(ctx, 173, eeprom173);
    setEe(ctx, 90, eeprom90);
}

TEST(Version, Platform6And61DecideInTheirOrder) {
    struct Case {
        uint8_t id;
        int e165, e173, e90;
        float version;
    };
    for (const Case c : {
             Case{222, 1, 6, 0, 0},  // a stored 6 stands for version 0
             Case{222, 0, 0, 0, 4},  // bit 0 of 165 clear and 173 zero
             Case{221, 0, 0, 0, 4},  // ... wins over identification byte 221
             Case{221, 1, 0, 0, 5},
             Case{222, 1, 3, 1, 2},  // bit 0 of 90
             Case{223, 1, 3, 0, 3},
             Case{214, 1, 1, 0, 1},
         }) {
        TestContext t;
        versionImage(t.ctx, c.id, c.e165, c.e173, c.e90);
        EXPECT_EQ(GetVersion(t.ctx), c.version) << int(c.id) << " " << c.e165 << " " << c.e173;
    }
}

TEST(Version, Platforms5And7ReadTheirVersionByte) {
    TestContext t;
    test::markAllRead(t.ctx);
    setRam(t.ctx, kRamIdByte, 231);
    setRam(t.ctx, 226, 3);
    EXPECT_EQ(GetVersion(t.ctx), 3);
    setRam(t.ctx, kRamIdByte, 0x20);
    setEe(t.ctx, 1023, 2);
    EXPECT_EQ(GetVersion(t.ctx), 2);
}

TEST(SerialNumber, TextPadsToFiveDigitsAndRefusesSix) {
    TestContext t;
    test::markAllRead(t.ctx);
    setRam(t.ctx, kRamIdByte, 231);
    for (const auto& [serial, text] :
         {std::pair{0, "23100000"}, {1, "23100001"}, {54321, "23154321"}}) {
        setRamWord(t.ctx, 66, static_cast<float>(serial));
        EXPECT_EQ(SerialText(t.ctx), text);
    }
    // Platform 6 keeps it in EEPROM; platform 7 has room for six digits, which leave no text.
    setRam(t.ctx, kRamIdByte, 222);
    setEeWord(t.ctx, 170, 65535);
    EXPECT_EQ(SerialText(t.ctx), "22265535");
    setRam(t.ctx, kRamIdByte, 0x20);
    setEe(t.ctx, 998, 0x9F);
    setEe(t.ctx, 999, 0x86);
    setEe(t.ctx, 1000, 0x01);  // 99999, then 100000
    EXPECT_EQ(SerialText(t.ctx), "3299999");
    setEe(t.ctx, 998, 0xA0);
    EXPECT_EQ(GetSerialNumber(t.ctx), 100000);
    EXPECT_EQ(SerialText(t.ctx), "");
    setEe(t.ctx, 1000, 0);
    EXPECT_EQ(SerialText(t.ctx), "3234464");  // 0x86A0
}

TEST(ChannelKind, ReadsEachChannelsByteAndNamesAnUnknownOne) {
    TestContext t;
    versionImage(t.ctx, 222, 1, 6);
    for (int address = 52; address <= 60; ++address) setEe(t.ctx, address, address);
    for (const auto& [channel, kind] :
         {std::pair{2, 53}, {3, 54}, {6, 55}, {7, 56}, {8, 57}, {11, 58}, {12, 59}, {13, 0}}) {
        EXPECT_EQ(GetChannelKind(t.ctx, static_cast<float>(channel)), kind) << channel;
    }
    for (const auto& [channel, table] : {std::pair{4, 1}, {5, 1}, {6, 2}, {7, 2}, {8, 3}, {12, 5}})
        EXPECT_EQ(GetChannelTable(t.ctx, static_cast<float>(channel)), table) << channel;
    EXPECT_EQ(t.ctx.ErrorText, "");
    EXPECT_EQ(GetChannelKind(t.ctx, 4), 0);
    EXPECT_EQ(t.ctx.ErrorText, "Unknown channel '4'.");
    for (const auto& [stored, kind] : {std::pair{6, 2}, {1, 9}, {3, 0}}) {
        versionImage(t.ctx, 215, 1, stored);  // platform 61 by its version
        EXPECT_EQ(GetChannelKind(t.ctx, 5), kind) << stored;
    }
}

// Which channels measure CO2 (0 for none, and never a third), and the factor of their readings.
TEST(CO2Channels, FollowPlatformIdentificationAndVersion) {
    const struct Row {
        int id, e165, e173, word762;
        float factor;
        int first, second;
    } rows[] = {
        {231, 1, 6, 0, 1, 1, 2},   {214, 1, 1, 0, 0, 5, 0},     {215, 1, 1, 0, 2, 5, 0},
        {215, 1, 6, 0, 1, 5, 0},   {215, 1, 3, 0, 0, 5, 0},     {222, 3, 6, 0, 2, 11, 12},
        {222, 1, 6, 0, 1, 11, 12}, {0x20, 1, 6, 2048, 1, 0, 0}, {0x20, 1, 6, 2049, 2, 0, 0}};
    for (const Row& r : rows) {
        TestContext t;
        versionImage(t.ctx, static_cast<uint8_t>(r.id), r.e165, r.e173);
        setEeWord(t.ctx, 762, static_cast<float>(r.word762));
        EXPECT_EQ(GetCO2Factor(t.ctx), r.factor) << r.id << " " << r.e173;
        EXPECT_EQ(GetCO2Channel(t.ctx, 0), r.first) << r.id;
        EXPECT_EQ(GetCO2Channel(t.ctx, 1), r.second) << r.id;
        EXPECT_EQ(GetCO2Channel(t.ctx, 2), 0) << r.id;
    }
}

TEST(CalibrationWords, LiveWhereThePlatformKeepsThem) {
    TestContext t;
    test::markAllRead(t.ctx);
    setRam(t.ctx, kRamIdByte, 231);
    EXPECT_TRUE(SetZeroWord(t.ctx, 1, false, false, 30720));
    EXPECT_EQ(t.ctx.RamImage[130], 120);
    EXPECT_EQ(t.ctx.RamImage[131], 0);
    EXPECT_EQ(GetZeroWord(t.ctx, 1), 30720);
    EXPECT_TRUE(SetSpanWord(t.ctx, 1, false, false, 2100));
    EXPECT_EQ(GetSpanWord(t.ctx, 1), 2100);
    EXPECT_EQ(t.ctx.RamImage[138] * 256 + t.ctx.RamImage[139], 2100);
    EXPECT_EQ(GetZeroWord(t.ctx, 5), 0);  // zero words of channels 0 to 4 only

    versionImage(t.ctx, 222, 1, 6);
    EXPECT_TRUE(SetZeroWord(t.ctx, 12, false, false, 0x1234));
    EXPECT_EQ(t.ctx.EeImage[48], 0x12);
    EXPECT_EQ(GetSpanWord(t.ctx, 11), 0);  // platform 5 only
    EXPECT_FALSE(SetSpanWord(t.ctx, 11, false, false, 1));
    EXPECT_EQ(t.ctx.ErrorText, "Unknown channel '11'.");

    // Written, the word goes out even when the image holds it unchanged, and is saved.
    test::VirtualSensorRig rig(6, 0);
    auto& eeprom = rig.sensor.memory().eeprom;
    const float zero = GetZeroWord(rig.ctx(), 11);
    eeprom[46] ^= 0xFF;  // changed behind the model's back
    EXPECT_TRUE(SetZeroWord(rig.ctx(), 11, true, false, zero));
    EXPECT_EQ(eeprom[46] * 256 + eeprom[47], zero);
    EXPECT_EQ(rig.sensor.savesToRam(), 1);
    test::VirtualSensorRig five(5, 0);
    five.ctx().AddressMask.fill(7);  // a window's selection, which the write leaves alone
    EXPECT_TRUE(SetSpanWord(five.ctx(), 1, true, false, 2100));
    EXPECT_EQ(five.sensor.savesToEeprom(), 1);
    const auto& mask = five.ctx().AddressMask;
    EXPECT_TRUE(std::all_of(mask.begin(), mask.end(), [](auto m) { return m == 7; }));
}

// The detector reading each platform keeps for each CO2 channel, fetched fresh; none for
// a channel without one.
TEST(RawReading, EachPlatformAndChannel) {
    const std::tuple<int, int, int, int> rows[] = {{5, 0, 0, 68},  {5, 0, 4, 76},  {5, 0, 5, -1},
                                                   {6, 0, 11, 72}, {6, 0, 12, 74}, {6, 0, 10, -1},
                                                   {61, 1, 5, 40}, {61, 0, 5, 40}, {61, 1, 4, -1}};
    for (const auto& [platform, version, channel, address] : rows) {
        test::VirtualSensorRig rig(platform, version);
        auto& ram = rig.sensor.memory().ram;
        ram[0] = ram[1] = 0x55;  // what a channel without a reading must not show
        if (address >= 0) {
            ram[address] = 0x12;  // pinned: the sensor keeps what is set from outside
            ram[address + 1] = 0x34;
        }
        EXPECT_EQ(GetRawReading(rig.ctx(), static_cast<float>(channel)), address < 0 ? 0 : 0x1234)
            << platform << " channel " << channel;
    }
    // The sensor's temperature byte counts from -127 degrees.
    for (const auto& [platform, address] : {std::pair{5, 234}, std::pair{6, 254}}) {
        test::VirtualSensorRig rig(platform, 0);
        rig.sensor.memory().ram[address] = 150;
        EXPECT_EQ(GetSensorTemp(rig.ctx()), 23) << platform;
    }
    test::VirtualSensorRig platform7(7, 1);  // keeps its temperature apart from the model's
    EXPECT_EQ(GetSensorTemp(platform7.ctx()), 0);
}

// At the image's ends: its last word is whole, and nothing past it is read or stored.
TEST(ImageAccess, TheLastWordIsWholeAndNothingPastTheEndIsTouched) {
    for (const auto& [eeprom, size] :
         {std::pair{true, kEeImageSize}, std::pair{false, kRamImageSize}}) {
        TestContext t;
        test::markAllRead(t.ctx);
        image::storeWord(t.ctx, eeprom, size - 2, 0x1234);
        EXPECT_EQ(image::wordAt(t.ctx, eeprom, size - 2), 0x1234) << size;
        image::storeWord(t.ctx, eeprom, size - 1, 0x5678);
        EXPECT_EQ(image::wordAt(t.ctx, eeprom, size - 1), 0x3400) << size;
        EXPECT_EQ(image::byteAt(t.ctx, eeprom, -1), 0) << size;
        EXPECT_TRUE(image::ensure(t.ctx, eeprom, size - 1, 2)) << size;
        EXPECT_FALSE(image::fresh(t.ctx, eeprom, 0, 0)) << size;  // an empty range reads nothing
        EXPECT_EQ(t.silent.opens, 0) << size;
        // A byte held as a fraction reads as the byte a send makes of it.
        for (float v : {200.5f, 200.6f, 201.5f}) {
            (eeprom ? t.ctx.EeImage[3] : t.ctx.RamImage[3]) = v;
            EXPECT_EQ(image::bitsAt(t.ctx, eeprom, 3), LowByte(v)) << v;
        }
    }
}

// A read the sensor never answers, after its hundred attempts, gives 0 rather than what
// the image held from before.
TEST(LazyReads, UnansweredGiveZeroNotWhatTheImageHeld) {
    const struct Row {
        uint8_t id;
        int e173, unknownEe;
        std::function<float(Context&)> get;
    } rows[] = {{215, 6, -1, [](Context& c) { return GetSensorTemp(c); }},
                {222, 6, -1, [](Context& c) { return GetRawReading(c, 11); }},
                {223, 3, 90, [](Context& c) { return GetVersion(c); }},
                {223, 3, 164, [](Context& c) { return GetVersion(c); }},
                {0x20, 0, 762, [](Context& c) { return GetCO2Factor(c); }},
                // What the image held from before: 9.
                {0x20, 0, 1022, [](Context& c) { return c.EeImage[1023] = 9, GetVersion(c); }},
                {222, 6, -1, [](Context& c) { return GetSensorTemp(c); }},
                {0x20, 0, -1,
                 [](Context& c) { return c.RamImage[16] = 9, GetChannelValue(c, 2, false); }},
                {222, 6, 46, [](Context& c) { return c.EeImage[46] = 9, GetZeroWord(c, 11); }},
                {231, 0, -1, [](Context& c) { return c.RamImage[234] = 9, GetSensorTemp(c); }}};
    for (const Row& r : rows) {
        TestContext t;
        versionImage(t.ctx, r.id, 1, r.e173);
        setRamWord(t.ctx, 42, 18);
        setRamWord(t.ctx, 72, 0x1234);
        if (r.unknownEe >= 0) t.ctx.EeRead[r.unknownEe] = t.ctx.EeRead[r.unknownEe + 1] = false;
        EXPECT_EQ(r.get(t.ctx), 0) << int(r.id) << " " << r.unknownEe;
        // Each attempt begins with a call for the line (254).
        EXPECT_EQ(std::count(t.silent.sent.begin(), t.silent.sent.end(), 254), 100);
    }
    TestContext t;  // the serial number is read quietly: a failed read leaves no message
    versionImage(t.ctx, 222, 1, 6);
    t.ctx.EeRead[170] = false;
    GetSerialNumber(t.ctx);
    EXPECT_EQ(t.ctx.ErrorText, "");
}

// Each platform's channel words, fetched one by one or in the bulk blocks, from a sensor
// nothing was read from yet: the version too comes from its own lazy reads.
TEST(ChannelValue, EachPlatformFetchesItsChannelsWords) {
    const struct Row {
        int platform, version, channel, address;
    } rows[] = {{5, 0, 0, 20},  {5, 0, 3, 26},   {6, 0, 0, 236}, {6, 0, 1, 238},
                {6, 0, 2, 12},  {6, 0, 12, 32},  {6, 2, 2, 12},  {6, 3, 2, 12},
                {61, 1, 0, 12}, {61, 0, 15, 42}, {7, 1, 15, 42}, {7, 2, 3, 18}};
    for (const Row& r : rows) {
        for (const bool bulk : {false, true}) {
            test::VirtualSensorRig rig(r.platform, r.version);
            EXPECT_EQ(GetVersion(rig.ctx()), r.version) << r.platform;
            auto& ram = rig.sensor.memory().ram;
            ram[r.address] = 0x12;  // pinned: the sensor keeps what is set from outside
            ram[r.address + 1] = static_cast<uint8_t>(r.channel);
            EXPECT_EQ(GetChannelValue(rig.ctx(), static_cast<float>(r.channel), bulk),
                      0x1200 + r.channel)
                << r.platform << " channel " << r.channel << (bulk ? " bulk" : "");
        }
    }
    // Past the last channel there is nothing to fetch: 0, whatever the sensor holds there.
    for (const auto& [platform, version, channel] :
         {std::tuple{5, 0, 4}, std::tuple{6, 0, 14}, std::tuple{61, 1, 16}, std::tuple{7, 1, 16}}) {
        test::VirtualSensorRig rig(platform, version);
        auto& ram = rig.sensor.memory().ram;
        const uint8_t id = ram[kRamIdByte];
        ram.fill(0x11);
        ram[kRamIdByte] = id;
        EXPECT_EQ(GetChannelValue(rig.ctx(), static_cast<float>(channel), false), 0) << platform;
    }
    // A bulk read that fails gives 0, and so does the read of platform 5's channel 3,
    // which lies outside the bulk blocks.
    for (const auto& [platform, channel, answered] :
         {std::tuple{5, 3, 2}, std::tuple{6, 2, 0}, std::tuple{6, 2, 1}}) {
        test::VirtualSensorRig rig(platform, 0);
        GetVersion(rig.ctx());
        rig.ctx().RamImage[12] = rig.ctx().RamImage[26] = 0x12;
        rig.ctx().RamRead[26] = rig.ctx().RamRead[27] = false;
        rig.sensor.answerOnly(answered);
        EXPECT_EQ(GetChannelValue(rig.ctx(), static_cast<float>(channel), true), 0) << platform;
    }
}

// What the model fetches by itself when the image lacks it: the identification byte from
// RAM, both bytes of a word before changing it, a table whose low byte went unknown.
TEST(LazyReads, FetchTheBytesTheyNeedAndNoOthers) {
    test::VirtualSensorRig rig(6);
    Context& ctx = rig.ctx();
    auto& sensor = rig.sensor.memory();
    sensor.eeprom[65] = static_cast<uint8_t>(sensor.ram[65] + 1);
    ctx.RamRead.fill(false);  // nothing known yet
    ctx.EeRead.fill(false);
    ctx.RamImage.fill(0);
    ctx.EeImage.fill(0);
    rig.sensor.clearRecord();
    EXPECT_EQ(GetIdByte(ctx), sensor.ram[65]);
    // One read: RAM 65..67 (read command 128 + 3 bytes, area 0), the serial number with it.
    ASSERT_EQ(rig.sensor.requests().size(), 1u);
    EXPECT_EQ(rig.sensor.requests()[0][0], 131);
    EXPECT_EQ(rig.sensor.requests()[0][1], 65);

    EXPECT_NEAR(GetSpanReference(ctx, 0, false, false), 7000, 3);  // both bytes fetched
    SetZeroReference(ctx, 0, 6500);  // far enough to change both bytes of the word
    EXPECT_NEAR(GetZeroReference(ctx, 0), 6500, 2);
    // A fresh read of the span reference beside it leaves that edit alone.
    GetSpanReference(ctx, 0, true, true);
    EXPECT_NEAR(GetZeroReference(ctx, 0), 6500, 2);

    const int address = 308 + 34 * 4 + 2 * 3;  // table 4, entry 3
    GetTableEntry(ctx, 4, 3);
    ctx.EeImage[address + 1] = static_cast<float>(sensor.eeprom[address + 1] ^ 0x55);
    ctx.EeRead[address + 1] = false;
    EXPECT_EQ(GetTableEntry(ctx, 4, 3), sensor.eeprom[address] * 256 + sensor.eeprom[address + 1]);
    // A platform-7 entry set before its table was read survives a read of another entry.
    test::VirtualSensorRig seven(7, 1);
    SetTableEntry(seven.ctx(), 0, 0, 0x0102);
    GetTableEntry(seven.ctx(), 0, 16);
    EXPECT_EQ(GetTableEntry(seven.ctx(), 0, 0), 0x0102);

    ctx.loadDefinition = nullptr;
    ctx.Definition.loadedIdByte = 0;
    EXPECT_FALSE(EnsureDefinition(ctx));
    EXPECT_EQ(ctx.ErrorText, "No production definition for this sensor.");
}

// Each lazy accessor, from an image that knows the identification byte alone (and the
// EEPROM bytes a row names), makes known exactly the bytes it works from: its word and those
// of the factor, zero word and table behind it, not a neighbour more or fewer.
TEST(LazyReads, EachAccessorFetchesExactlyTheBytesItUses) {
    using Ranges = std::vector<std::pair<int, int>>;  // first address, count
    struct Row {
        int platform, version;
        std::function<void(Context&)> use;
        Ranges ram, eeprom, eepromKnownBefore = {};
    };
    const Row rows[] = {
        {5, 0, [](Context& c) { GetSerialNumber(c); }, {{66, 2}}, {}},
        // Known already, the serial number is not fetched again, nor the byte after it.
        {7, 1, [](Context& c) { GetSerialNumber(c); }, {}, {{998, 3}}, {{998, 3}}},
        // The large EEPROM reads in blocks of up to four: 998..1000 comes as 998..1001.
        {7, 1, [](Context& c) { GetSerialNumber(c); }, {}, {{998, 4}}},
        {7, 1, [](Context& c) { SetTableEntry(c, 0, 3, 1); }, {}, {{512, 34}}},
        // A word whose high byte alone is known is fetched whole.
        {6, 0, [](Context& c) { GetVersion(c); }, {}, {{90, 2}, {164, 2}, {172, 2}}, {{164, 1}}},
        {6, 0, [](Context& c) { GetCO2Factor(c); }, {}, {{164, 2}}, {{164, 1}}},
        {5, 0, [](Context& c) { GetChannelValue(c, 0, true); }, {{20, 6}, {236, 4}}, {}},
        {5, 0, [](Context& c) { GetChannelValue(c, 3, true); }, {{20, 8}, {236, 4}}, {}},
        {6, 0, [](Context& c) { GetChannelKind(c, 3); }, {}, {{54, 2}}},
        {6, 0, [](Context& c) { GetChannelKind(c, 2); }, {}, {{52, 4}}},
        {7, 1, [](Context& c) { GetCO2Factor(c); }, {}, {{762, 2}}},
        {6, 0, [](Context& c) { GetChannelValue(c, 13, false); }, {{34, 2}}, {}},
        {5, 0, [](Context& c) { SetZeroWord(c, 1, false, false, 1); }, {{130, 2}}, {}},
        // The fitted-channel bytes and the one that makes output 4 a CO channel come as words.
        {6, 0, [](Context& c) {
             ChannelPresent(c, 2, false, false);
             ChannelPresent(c, 11, false, false);
             ChannelName(c, 10, false);
         }, {}, {{90, 2}, {98, 2}, {158, 2}, {164, 2}, {172, 2}}},
        // EEPROM words are read in aligned blocks: 43..44 comes as 42..45.
        {6, 0, [](Context& c) { GetZeroReference(c, 1); }, {}, {{42, 4}, {164, 2}, {478, 34}}},
        {6, 0, [](Context& c) { GetSpanReference(c, 0, true, false); }, {{212, 2}},
         {{46, 2}, {164, 2}, {444, 34}}},
        {6, 0, [](Context& c) { GetSpanReference(c, 0, true, true); }, {{212, 2}},
         {{46, 2}, {164, 2}, {444, 34}}},
        {6, 0, [](Context& c) { SetSpanReference(c, 0, true, 1); }, {{212, 2}},
         {{46, 2}, {164, 2}, {444, 34}}},
        {6, 0, [](Context& c) { GetSerialNumber(c); }, {}, {{170, 2}}, {{170, 1}}},
        // Platform 61 keeps a second span reference, stored and live, which reads through table 0.
        {61, 1, [](Context& c) { GetSpanReference(c, 1, false, false); }, {},
         {{36, 2}, {90, 2}, {164, 2}, {172, 2}, {308, 34}}},
        {61, 1, [](Context& c) { GetSpanReference(c, 1, true, false); }, {{212, 2}},
         {{90, 2}, {164, 2}, {172, 2}, {308, 34}}},
        {6, 0, [](Context& c) { GetCalTemp(c, 12); }, {}, {{104, 2}}},
        {5, 0, [](Context& c) { GetZeroWord(c, 4); }, {{136, 2}}, {}},
        {5, 0, [](Context& c) { GetSpanWord(c, 0); }, {{136, 2}}, {}},
        {7, 1, [](Context& c) { GetChannelValue(c, 2, false); }, {{16, 2}}, {}},
    };
    const auto addresses = [](const Ranges& ranges) {
        std::vector<int> all;
        for (const auto& [from, count] : ranges)
            for (int a = from; a < from + count; ++a) all.push_back(a);
        return all;
    };
    const auto known = [](const auto& flags) {
        std::vector<int> all;
        for (size_t a = 0; a < flags.size(); ++a)
            if (flags[a]) all.push_back(static_cast<int>(a));
        return all;
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& r = rows[i];
        test::VirtualSensorRig rig(r.platform, r.version);
        Context& ctx = rig.ctx();
        ctx.RamRead.fill(false);
        ctx.EeRead.fill(false);
        setIdByte(ctx, rig.sensor.memory().ram[kRamIdByte]);
        for (int a : addresses(r.eepromKnownBefore)) setEe(ctx, a, rig.sensor.memory().eeprom[a]);
        r.use(ctx);
        ctx.RamRead[kRamIdByte] = false;
        EXPECT_EQ(known(ctx.RamRead), addresses(r.ram)) << "row " << i;
        EXPECT_EQ(known(ctx.EeRead), addresses(r.eeprom)) << "row " << i;
    }
}

}  // namespace
}  // namespace kelvo
