// The platform-5 encodings at their edges: what a typed value becomes in the sensor and
// what the window shows of it again.
#include "settings/platform5_codecs.h"

#include <gtest/gtest.h>

namespace kelvo::p5 {
namespace {

TEST(Frm5Codecs, IntegrationTimeIsAPowerOfTwoOfAtLeastTwo) {
    EXPECT_EQ(intTimeByte(1), 0);
    EXPECT_EQ(intTimeByte(3), 0);
    EXPECT_EQ(intTimeText(intTimeByte(3)), "2");
    EXPECT_EQ(intTimeByte(8), 2);
    EXPECT_EQ(intTimeText(2), "8");
    EXPECT_EQ(intTimeByte(0), 0);
    EXPECT_EQ(intTimeByte(-5), 0);
}

TEST(Frm5Codecs, TriggerTimeKeepsSevenBitsOfQuarters) {
    EXPECT_EQ(triggerTimeByte(31.75, false), 127);
    EXPECT_EQ(triggerTimeByte(32, false), 0);
    EXPECT_EQ(triggerTimeText(triggerTimeByte(32, false)), "0");
    EXPECT_EQ(triggerTimeText(127), "31.75");
    EXPECT_EQ(triggerTimeByte(1.5, true), 128 + 6);
    EXPECT_EQ(triggerTimeText(128 + 6), "1.5");
}

TEST(Frm5Codecs, TriggerLevelCarriesItsSignInBitSeven) {
    EXPECT_EQ(triggerLevelByte(-50), 192);
    EXPECT_EQ(triggerLevelText(192), "-50");
    EXPECT_EQ(triggerLevelByte(100), 127);
    EXPECT_EQ(triggerLevelText(127), "100");
    EXPECT_EQ(triggerLevelByte(0), 0);
}

TEST(Frm5Codecs, ShiftStepIsHeldWithinItsFiveBits) {
    EXPECT_EQ(shiftByte(1, 99999), 32 + 31);
    EXPECT_EQ(shiftAmount(shiftByte(1, 99999)), 4000);
    EXPECT_EQ(shiftByte(2, 0), 64 + 15);
    EXPECT_EQ(shiftAmount(64 + 15), 0);
    EXPECT_EQ(shiftByte(0, -99999), 0);  // does not borrow from the channel bits
    // A step between two whole steps is stored as a whole byte the sensor accepts.
    EXPECT_EQ(shiftByte(0, 100), 15);
}

TEST(Frm5Codecs, BaseLineCentresOnWord32768) {
    EXPECT_EQ(baseLineWord(0), 32768);
    EXPECT_EQ(baseLineWord(100), 49152);
    EXPECT_EQ(baseLineText(49152), "100");
    EXPECT_EQ(baseLineText(32768 - 8192), "-50");
    EXPECT_EQ(baseLineWord(500), 65535);
    EXPECT_EQ(baseLineWord(-500), 0);
}

TEST(Frm5Codecs, OutputLevelShowsAtMostHundred) {
    EXPECT_EQ(outputLevelText(8192), "50");
    EXPECT_EQ(outputLevelText(20000), "100");
}

}  // namespace
}  // namespace kelvo::p5
