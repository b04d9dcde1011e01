// The one table of what differs between platforms and versions.
#include "model/platform_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <tuple>

#include "common/context.h"
#include "model/identification.h"
#include "model/image_fill.h"
#include "support/virtual_sensor_rig.h"

namespace kelvo {
namespace {

TEST(PlatformProfile, EachSensorFindsItsWindowAndWhatItsFilesMayDo) {
    const struct {
        int platform;
        float version;
        std::optional<WindowKind> window;  // nullopt: the program does not take the sensor
        bool sendFile;
        bool saveFile;
        int32_t saveList;  // the address list a settings file is saved with
    } cases[] = {
        {5, 0, WindowKind::Frm5, true, true, 0},       {5, 2, WindowKind::Frm5Chart, true, true, 0},
        {5, 3, WindowKind::Frm5Chart, false, true, 0}, {5, 4, std::nullopt, false, false, 0},
        {6, 0, WindowKind::Frm6, true, true, 13},      {6, 2, WindowKind::Frm6, true, true, 15},
        {6, 3, WindowKind::Frm6, true, true, 13},
        {6, 5, WindowKind::Frm6, true, false, 0},      {6, 6, std::nullopt, false, false, 0},
        {61, 1, WindowKind::Frm61, true, true, 12},    {61, 2, std::nullopt, false, false, 0},
        {7, 0, std::nullopt, false, false, 0},         {7, 2, WindowKind::Frm61, false, false, 0},
        {6, 0.5f, std::nullopt, false, false, 0},      {0, 0, std::nullopt, false, false, 0},
        {6, -1, std::nullopt, false, false, 0},
    };
    for (const auto& c : cases) {
        const PlatformProfile* p = FindProfile(static_cast<uint8_t>(c.platform), c.version);
        SCOPED_TRACE(std::to_string(c.platform) + " v" + std::to_string(c.version));
        ASSERT_EQ(p != nullptr, c.window.has_value());
        if (!p) continue;
        EXPECT_EQ(p->window, *c.window);
        EXPECT_EQ(p->sendFileAccepted, c.sendFile);
        EXPECT_EQ(!p->saveBlocks.empty(), c.saveFile);
        EXPECT_EQ(p->saveList, c.saveList);
    }
}

// Every send writes only what the whole-image read brings in, apart from the bytes a
// window stores without showing them (the platform-7 version byte), and every EEPROM send
// is wrapped in exactly one unlock and one lock.
TEST(PlatformProfile, SendsAreWrappedInOneUnlockAndOneLock) {
    for (uint8_t platform : {5, 6, 61, 7}) {
        const std::vector<WriteRequest> steps = SettingsSendSteps(platform);
        ASSERT_FALSE(steps.empty()) << int(platform);
        int unlocks = 0, locks = 0;
        for (size_t i = 0; i < steps.size(); ++i) {
            unlocks += steps[i].unlock;
            locks += steps[i].lock;
            // Only the last step lets the port go and saves to the other memory (platform 7
            // has none); platforms 6 and 61 send only what changed, the others every byte.
            const bool last = i + 1 == steps.size();
            EXPECT_EQ(steps[i].keepOpen, !last) << int(platform) << " step " << i;
            EXPECT_EQ(steps[i].commit, last && platform != 7) << int(platform) << " step " << i;
            EXPECT_EQ(steps[i].writeAll, platform == 5 || platform == 7) << int(platform);
        }
        EXPECT_EQ(unlocks, 1) << int(platform);
        EXPECT_EQ(locks, 1) << int(platform);
        EXPECT_TRUE(steps.front().unlock && steps.back().lock) << int(platform);
        // Platform 7 writes ranges, each one its whole-image read brings in, and its version byte.
        const std::vector<MemorySpan> reads = WholeImageReads(platform);
        for (const WriteRequest& step : platform == 7 ? steps : std::vector<WriteRequest>{}) {
            const MemorySpan& s = step.span;
            const bool read = std::any_of(reads.begin(), reads.end(), [&](const MemorySpan& r) {
                return r.eeprom == s.eeprom && r.address == s.address && r.count == s.count;
            });
            EXPECT_TRUE(read || (s.address == 1023 && s.count == 1)) << "at " << s.address;
        }
    }
}

// A window's send writes the bytes it shows and no others, and saves to the other memory
// only where it should.
TEST(PlatformProfile, WindowSendsWriteExactlyTheBytesTheyShow) {
    const struct {
        int platform;
        int version;
        std::vector<std::pair<int, int>> ranges;  // first byte, count
        int saves;
    } cases[] = {
        {5, 1, {{31, 1}, {205, 1}, {207, 2}, {230, 1}, {162, 28}}, 1},
        {7, 1, {{16, 1}, {834, 24}, {925, 8}, {1023, 1}, {393, 4}}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.platform) + " v" + std::to_string(c.version));
        test::VirtualSensorRig rig(c.platform, c.version);
        Context& ctx = rig.ctx();
        test::loadMemory(ctx, rig.sensor.memory());
        const virtualsensor::SensorMemory before = rig.sensor.memory();
        // Every byte but the identification differs from the sensor's.
        for (size_t a = 0; a < ctx.RamImage.size(); ++a)
            if (a != size_t(kRamIdByte)) ctx.RamImage[a] = float((int(ctx.RamImage[a]) + 1) % 256);
        for (float& v : ctx.EeImage) v = float((int(v) + 1) % 256);
        ASSERT_TRUE(RunWriteSteps(ctx, SettingsSendSteps(c.platform, float(c.version))))
            << ctx.ErrorText;
        const bool eeprom = c.platform == 7;
        const auto& now = rig.sensor.memory();
        for (size_t a = 0; a < (eeprom ? now.eeprom.size() : now.ram.size()); ++a) {
            const bool sent = std::any_of(c.ranges.begin(), c.ranges.end(), [&](const auto& r) {
                return int(a) >= r.first && int(a) < r.first + r.second;
            });
            const int held = eeprom ? now.eeprom[a] : now.ram[a];
            if (sent) {
                EXPECT_EQ(held, int(eeprom ? ctx.EeImage[a] : ctx.RamImage[a])) << a;
            } else if (eeprom || !now.liveWritten[a]) {  // live bytes are the sensor's own
                EXPECT_EQ(held, eeprom ? before.eeprom[a] : before.ram[a]) << a;
            }
        }
        EXPECT_EQ(rig.sensor.savesToEeprom() + rig.sensor.savesToRam(), c.saves);
        EXPECT_EQ(rig.sensor.opens(), 1);   // the steps run on one opening of the port,
        EXPECT_EQ(rig.sensor.closes(), 1);  // let go after the last
    }
}

// A measurement poll fetches exactly the bytes its window shows (the channel words, the
// status byte, the platform's own extras) on one opening of the port, and fails as a read
// does when the sensor refuses or there is nothing to read.
TEST(PlatformProfile, PollsFetchExactlyTheBytesTheirWindowShows) {
    const struct {
        int platform;
        std::vector<int> bytes;
    } cases[] = {{61, {20, 21, 22, 23, 24, 25, 40, 41, 42, 43, 67}},
                 {7, {20, 21, 22, 23, 24, 25, 67, 210}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.platform);
        test::VirtualSensorRig rig(c.platform, 1);
        Context& ctx = rig.ctx();
        ASSERT_TRUE(RunReads(ctx, MeasurementReads(c.platform))) << ctx.ErrorText;
        std::vector<int> fetched;
        for (int a = 0; a < 256; ++a)
            if (ctx.RamRead[a]) fetched.push_back(a);
        EXPECT_EQ(fetched, c.bytes);
        EXPECT_EQ(rig.sensor.opens(), 1);
        EXPECT_EQ(rig.sensor.closes(), 1);
        rig.sensor.refuseNext(1000);
        EXPECT_FALSE(RunReads(ctx, MeasurementReads(c.platform)));
        EXPECT_EQ(ctx.ErrorText, "Can't read from sensor");
        // A platform without a plan reads nothing, and that is no success.
        ctx.ErrorText.clear();
        EXPECT_FALSE(ReadSpans(ctx, WholeImageReads(0)));
        EXPECT_EQ(ctx.ErrorText, kUnknownSensorMessage);
        ctx.ErrorText.clear();
        EXPECT_FALSE(RunReads(ctx, MeasurementReads(0)));
        EXPECT_EQ(ctx.ErrorText, kUnknownSensorMessage);
    }
}

// Only bytes the span selects and the image does not hold yet are read; known bytes keep
// their values, and the caller's mask is left as it was.
TEST(ReadUnknownBytes, ReadsOnlyWhatTheSpanSelectsAndTheImageLacks) {
    test::VirtualSensorRig rig(7, 1);
    Context& ctx = rig.ctx();
    ctx.EeImage.fill(1);
    ctx.EeRead.fill(true);
    for (int a : {0, 20, 600, 700}) ctx.EeRead[a] = false;
    ctx.AddressMask.fill(9);
    const auto mask = ctx.AddressMask;
    ASSERT_TRUE(ReadUnknownBytes(ctx, {eepromRange(600, 2), eepromList(kListWholeEeprom)}));
    const auto& sensor = rig.sensor.memory().eeprom;
    for (int a = 0; a < 1024; ++a) {
        if (a == 0 || a == 20 || a == 600) {
            EXPECT_TRUE(ctx.EeRead[a]) << a;
            EXPECT_EQ(ctx.EeImage[a], sensor[a]) << a;
        } else {
            EXPECT_EQ(ctx.EeImage[a], 1) << a;
        }
    }
    EXPECT_FALSE(ctx.EeRead[700]);  // beyond list 30 and outside the range
    EXPECT_EQ(ctx.AddressMask, mask);
    EXPECT_FALSE(ctx.port.isOpen());
    ctx.EeRead[0] = false;  // a range may start at the first byte, or run past the last
    ASSERT_TRUE(ReadUnknownBytes(ctx, {eepromRange(0, 1), eepromRange(kEeImageSize - 2, 4)}));
    EXPECT_TRUE(ctx.EeRead[0]);
    // A small-EEPROM word comes whole: its known first byte keeps its value.
    test::VirtualSensorRig six(6);
    const float first = float((six.sensor.memory().eeprom[0] + 1) % 256);
    test::setEe(six.ctx(), 0, first);
    ASSERT_TRUE(ReadUnknownBytes(six.ctx(), {eepromRange(1, 1)}));
    EXPECT_TRUE(six.ctx().EeRead[1] && six.ctx().EeImage[0] == first);
    // With nothing left to fetch the line stays quiet.
    rig.sensor.clearRecord();
    ASSERT_TRUE(ReadUnknownBytes(ctx, {eepromRange(600, 2), eepromList(kListWholeEeprom)}));
    EXPECT_TRUE(rig.sensor.received().empty());
    EXPECT_EQ(rig.sensor.opens(), 0);
    // A sensor that refuses fails the call, whatever spans follow.
    ctx.EeRead[20] = false;
    rig.sensor.refuseNext(1000);
    EXPECT_FALSE(ReadUnknownBytes(ctx, {eepromList(kListWholeEeprom), eepromRange(600, 2)}));
    EXPECT_EQ(ctx.ErrorText, "Can't read from sensor");
    EXPECT_EQ(ctx.AddressMask, mask);
}

// The bytes that name a sensor come in with the first read, and those a settings file's
// identity check compares: naming it afterwards, as kelvo-cli identify does, sends nothing
// more. A backup brings what its load checks besides; nothing else is read.
TEST(ReadWithIdentity, BringsEverythingThatNamesTheSensor) {
    const std::vector<int> naming6{90, 91, 164, 165, 170, 171, 172, 173};
    const struct {
        int platform, version;
        bool forBackup;
        std::vector<int> known;  // the bytes of the memory read that are known afterwards
    } cases[] = {
        {5, 0, true, {65, 66, 67, 226}},
        {6, 0, false, naming6},
        {6, 0, true, {58, 59, 90, 91, 98, 99, 158, 159, 164, 165, 170, 171, 172, 173}},
        {61, 1, true, naming6},
        {7, 1, false, {998, 999, 1000, 1001, 1022, 1023}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.platform) + (c.forBackup ? " backup" : ""));
        test::VirtualSensorRig rig(c.platform, c.version);
        Context& ctx = rig.ctx();
        ASSERT_EQ(GetPlatform(ctx), c.platform);
        const bool eeprom = c.platform != kPlatform5;
        ASSERT_TRUE(ReadWithIdentity(ctx, eeprom, {}, c.forBackup)) << ctx.ErrorText;
        std::vector<int> known;
        for (int a = 0; a < (eeprom ? kEeImageSize : kRamImageSize); ++a)
            if (eeprom ? ctx.EeRead[a] : ctx.RamRead[a]) known.push_back(a);
        EXPECT_EQ(known, c.known);
        for (const IdentityByte& b : FindPlatform(uint8_t(c.platform))->identity)
            EXPECT_TRUE(b.eeprom ? ctx.EeRead[b.address] : ctx.RamRead[b.address]) << b.address;
        rig.sensor.clearRecord();
        GetProtocol(ctx);
        GetVersion(ctx);
        SerialText(ctx);
        EXPECT_TRUE(rig.sensor.requests().empty());
        EXPECT_EQ(ctx.ErrorText, "");
    }
}

// Where each platform keeps what its own display shows: platform 5 its display mode and
// shift button in RAM, the others the four positions of a sequence in EEPROM, two to a byte
// or a byte each.
TEST(PlatformProfile, DisplaySettingsLieWhereEachPlatformKeepsThem) {
    using Sequence = DisplaySettings::Sequence;
    const auto spanOf = [](const MemorySpan& s) {
        return std::tuple(s.eeprom, s.list, s.address, s.count);
    };
    const struct {
        int platform;
        MemorySpan mode, shiftStep, shiftChannel, sequencePlace;
        Sequence sequence;
        int channels;  // those the shift button or a display position can name
    } cases[] = {
        {5, ramRange(31, 1), ramRange(32, 1), ramRange(207, 1), {}, Sequence::None, 4},
        {6, {}, {}, {}, eepromRange(50, 2), Sequence::Nibbles, 13},
        {61, {}, {}, {}, eepromRange(50, 2), Sequence::Nibbles, 13},
        {7, {}, {}, {}, eepromRange(393, 4), Sequence::Bytes, 9},
    };
    for (const auto& c : cases) {
        const DisplaySettings& d = FindPlatform(uint8_t(c.platform))->display;
        EXPECT_EQ(spanOf(d.mode), spanOf(c.mode)) << c.platform;
        EXPECT_EQ(spanOf(d.shiftStep), spanOf(c.shiftStep)) << c.platform;
        EXPECT_EQ(spanOf(d.shiftChannel), spanOf(c.shiftChannel)) << c.platform;
        EXPECT_EQ(spanOf(d.sequencePlace), spanOf(c.sequencePlace)) << c.platform;
        EXPECT_EQ(d.sequence, c.sequence) << c.platform;
        EXPECT_EQ(d.sequence == Sequence::None ? d.shiftChannels : d.sequenceChannels, c.channels);
    }
}

}  // namespace
}  // namespace kelvo
