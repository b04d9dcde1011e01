// The VAV panel's bytes: the worked example, every maximum and minimum a technician can
// type giving a gain word the sensor can hold, and the step buttons.
#include "settings/platform6_panels.h"

#include <gtest/gtest.h>

#include "settings/platform6_codecs.h"
#include "support/test_context.h"

namespace kelvo::p6 {
namespace {

struct VavImage {
    explicit VavImage(uint8_t product) {
        t.ctx.RamImage[65] = product;
        t.ctx.RamRead.fill(true);
        t.ctx.EeRead.fill(true);
    }
    int at(int address) const { return int(t.ctx.EeImage[address]); }
    VavTexts texts(double max, double min, const char* intTime = "8") {
        VavTexts v = showVav(t.ctx);
        v[kUseMax] = std::to_string(max);
        v[kUseMin] = std::to_string(min);
        v[kIntTimeVav] = intTime;
        return v;
    }
    test::TestContext t;
};

TEST(Frm6Vav, MaximumHundredAndMinimumZeroStoreTheWorkedExample) {
    for (uint8_t product : {kProductVavOut1, kProductVavOut2}) {
        VavImage image(product);
        image.t.ctx.EeImage[100] = 77;  // no VAV byte: left alone
        storeVav(image.t.ctx, image.texts(100, 0));
        EXPECT_EQ(image.at(vavBaseLineAddress(product)), 128) << int(product);
        EXPECT_EQ(image.at(148), 128);
        EXPECT_EQ(image.at(124) * 256 + image.at(125), 0x9450);
        EXPECT_EQ(image.at(173), 1);
        EXPECT_EQ(image.at(100), 77);
        // The defaults of the layout came first: the outputs' records of the product.
        EXPECT_EQ(image.at(144), 65);
        EXPECT_EQ(image.at(product == kProductVavOut1 ? 141 : 138), 16);
        const VavTexts shown = showVav(image.t.ctx);
        EXPECT_EQ(shown[kUseMax], "100");
        EXPECT_EQ(shown[kUseMin], "0");
    }
}

// Max equal to Min, Min above Max, a gap too small for the gain word: the range is held
// open by the smallest gap, so the word keeps its flag bit and the panel shows what the
// sensor holds.
TEST(Frm6Vav, EveryRangeTypedStoresAGainWordTheSensorCanHold) {
    VavImage image(kProductVavOut1);
    for (double max = -20; max <= 120; max += 2.5) {
        for (double min = -20; min <= 120; min += 7.5) {
            storeVav(image.t.ctx, image.texts(max, min));
            const int high = image.at(124);
            ASSERT_GE(high, 128) << max << "/" << min;
            const VavRange r = limitVavRange(max, min);
            EXPECT_GE(r.max - r.min, kVavSmallestGap);
            EXPECT_EQ((high - 128) * 256 + image.at(125), vavGainWord(r));
            const VavTexts shown = showVav(image.t.ctx);
            EXPECT_GE(std::stod(shown[kUseMax]), std::stod(shown[kUseMin])) << max << "/" << min;
        }
    }
    EXPECT_EQ(limitVavRange(40, 40).min, 39);
    EXPECT_EQ(limitVavRange(0, 0).max, 1);
    EXPECT_EQ(limitVavRange(30, 70).min, 29);
}

TEST(Frm6Vav, IntegrationTimesOfZeroOrBelowAreTheSmallest) {
    for (const char* typed : {"0", "-4", "", "1"}) {
        VavImage image(kProductVavOut1);
        storeVav(image.t.ctx, image.texts(80, 20, typed));
        EXPECT_EQ(image.at(140), 128) << typed;
        EXPECT_EQ(showVav(image.t.ctx)[kIntTimeVav], "2") << typed;
    }
}

TEST(Frm6Vav, StepButtonsMoveByOneShownStep) {
    const struct {
        double from;
        bool up;
        double to;
    } cases[] = {{50, true, 51}, {51, true, 53},  {50, false, 48}, {100, true, 100},
                 {0, false, 0},  {99, true, 100}, {1, false, 0}};
    for (const auto& c : cases) EXPECT_EQ(vavStep(c.from, c.up), c.to) << c.from << c.up;
}

}  // namespace
}  // namespace kelvo::p6
