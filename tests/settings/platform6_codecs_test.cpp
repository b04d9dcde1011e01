// The platform-6 encodings at their edges: what a typed value becomes in the sensor and
// what the window shows of it again.
#include "settings/platform6_codecs.h"

#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
}  // namespace kelvo::p6
