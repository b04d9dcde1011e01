// The one table of what differs between platforms and versions.
#include "model/platform_profile.h"

#include <gtest/gtest.h>

#include <optional>

namespace kelvo {
namespace {

TEST(PlatformProfile, EachSensorFindsItsWindowAndWhatItsFilesMayDo) {
    const struct {
        int platform;
        float version;
        std::optional<WindowKind> window;  // nullopt: the program does not take the sensor
        bool sendFile;
        bool saveFile;
    } cases[] = {
        {5, 0, WindowKind::Frm5, true, true},       {5, 2, WindowKind::Frm5Chart, true, true},
        {5, 3, WindowKind::Frm5Chart, false, true}, {5, 4, std::nullopt, false, false},
        {6, 0, WindowKind::Frm6, true, true},       {6, 2, WindowKind::Frm6, true, true},
        {6, 5, WindowKind::Frm6, true, false},      {6, 6, std::nullopt, false, false},
        {61, 1, WindowKind::Frm61, true, true},     {61, 2, std::nullopt, false, false},
        {7, 0, std::nullopt, false, false},         {7, 2, WindowKind::Frm61, false, false},
        {6, 0.5f, std::nullopt, false, false},      {0, 0, std::nullopt, false, false},
        {6, -1, std::nullopt, false, false},
    };
    for (const auto& c : cases) {
        const PlatformProfile* p = FindProfile(static_cast<uint8_t>(c.platform), c.version);
        SCOPED_TRACE(std::to_string(c.platform) + " v" + std::to_string(c.version));
        ASSERT_EQ(p != nullptr, c.window.has_value());
        if (!p) continue;
        EXPECT_EQ(p->window, *c.window);
        EXPECT_EQ(p->sendFileAccepted, c.sendFile);
        EXPECT_EQ(!p->saveBlocks.empty(), c.saveFile);
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
            // Only the last step lets the port go.
            EXPECT_EQ(steps[i].keepOpen, i + 1 < steps.size()) << int(platform) << " step " << i;
        }
        EXPECT_EQ(unlocks, 1) << int(platform);
        EXPECT_EQ(locks, 1) << int(platform);
        EXPECT_TRUE(steps.front().unlock && steps.back().lock) << int(platform);
    }
}

// A measurement poll reads the channel words first and keeps the port only between its
// own reads.
TEST(PlatformProfile, PollsReadTheChannelWordsAndLetThePortGoAfterTheLastRead) {
    for (uint8_t platform : {61, 7}) {
        const std::vector<ReadRequest> reads = MeasurementReads(platform);
        ASSERT_FALSE(reads.empty()) << int(platform);
        EXPECT_FALSE(reads.front().span.eeprom);
        EXPECT_EQ(reads.front().span.address, 20);
        EXPECT_EQ(reads.front().span.count, 6);
        for (size_t i = 0; i < reads.size(); ++i)
            EXPECT_EQ(reads[i].keepOpen, i + 1 < reads.size()) << int(platform) << " read " << i;
    }
}

}  // namespace
}  // namespace kelvo
