// The platform-6 encodings at their edges: what a typed value becomes in the sensor and
// what the window shows of it again; and the VAV panel's bytes: the worked example, every
// maximum and minimum a technician can type giving a gain word the sensor can hold, and the
// step buttons.
#include "settings/platform6_codecs.h"

#include <gtest/gtest.h>

#include <cmath>

#include "settings/platform6_panels.h"
#include "support/test_context.h"

namespace kelvo::p6 {
namespace {

TEST(Frm6Codecs, BaseLinesAreStoredRoundedUpAndShownRoundedDown) {
    const struct {
        double typed;
        int stored;
        const char* shown;
    } cases[] = {{50, 160, "50"},
                 {52, 162, "53"},
                 {49, 160, "50"},
                 {0, 128, "0"},
                 {-200, 0, "-200"},
                 {198, 255, "198"},
                 {-250, 0, "-200"},
                 // Above what a byte holds: the largest base line, never a wrap to -200.
                 {198.5, 255, "198"},
                 {200, 255, "198"},
                 {1e9, 255, "198"},
                 {NAN, 128, "0"}};
    for (const auto& c : cases) {
        EXPECT_EQ(baseLineByte(c.typed), c.stored) << c.typed;
        EXPECT_EQ(baseLineText(baseLineByte(c.typed)), c.shown) << c.typed;
    }
    // What is shown is stored as it was: a second round changes nothing.
    for (int b = 0; b < 256; ++b) EXPECT_EQ(baseLineByte(baseLinePercent(uint8_t(b))), b) << b;
}

TEST(Frm6Codecs, IntegrationTimesAreCodesOfPowersOfTwo) {
    const struct {
        double typed;
        int code;
        const char* shown;
    } cases[] = {{2, 0, "2"}, {8, 2, "8"},  {256, 7, "256"}, {1, 0, "2"},     {3, 1, "4"},
                 {0, 0, "2"}, {-5, 0, "2"}, {NAN, 0, "2"},   {512, 7, "256"}, {1e12, 7, "256"}};
    for (const auto& c : cases) {
        EXPECT_EQ(intTimeCode(c.typed), c.code) << c.typed;
        EXPECT_EQ(intTimeText(intTimeCode(c.typed)), c.shown) << c.typed;
    }
}

TEST(Frm6Codecs, TriggerTimeKeepsSevenBitsAndLevelsCarryTheirSign) {
    EXPECT_EQ(triggerTimeByte(127, true), 255);
    EXPECT_EQ(triggerTimeByte(128, false), 0);
    EXPECT_EQ(triggerTimeText(255), "127");
    EXPECT_EQ(levelByte(-50), 192);
    EXPECT_EQ(levelText(192), "-50");
    EXPECT_EQ(levelByte(100), 127);
    EXPECT_EQ(levelByte(250), 127);
    EXPECT_EQ(levelByte(-250), 255);
    EXPECT_EQ(levelText(0), "0");
    // 128 steps shown as 101 percents: a level typed as shown is within a step of it.
    for (int b = 0; b < 256; ++b) {
        const double shown = std::stod(levelText(uint8_t(b)));
        if (b != 128) {  // "-0" is 0
            EXPECT_NEAR(levelByte(shown), b, 1) << b;
        }
    }
}

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
