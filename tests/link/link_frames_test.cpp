#include "link/link_frames.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kelvo::link {
namespace {

TEST(LinkFrames, ReadRequestsCarryAreaCountAndChecksum) {
    EXPECT_EQ(readRequest(Memory::Ram, 65, 1), (Bytes{129, 65, 194}));
    EXPECT_EQ(readRequest(Memory::Ram, 126, 2), (Bytes{130, 126, 0}));
    EXPECT_EQ(readRequest(Memory::Ram, 128, 2), (Bytes{194, 0, 194}));
    EXPECT_EQ(readRequest(Memory::SmallEeprom, 10, 6), (Bytes{142, 5, 147}));
    EXPECT_EQ(readRequest(Memory::LargeEeprom, 300, 4), (Bytes{140, 1, 44, 185}));
}

TEST(LinkFrames, WriteFramesRefuseWhatAByteCannotHold) {
    EXPECT_EQ(writeFrame(Memory::Ram, 230, {1}), (Bytes{65, 102, 1, 168}));
    EXPECT_EQ(writeFrame(Memory::SmallEeprom, 20, {255, 0}), (Bytes{10, 10, 255, 0, 19}));
    EXPECT_EQ(writeFrame(Memory::LargeEeprom, 1023, {7}), (Bytes{9, 3, 255, 7, 18}));
    for (float bad : {256.0f, -1.0f, 12.5f, std::nanf("")})
        EXPECT_FALSE(writeFrame(Memory::Ram, 0, {1, bad})) << bad;
}

TEST(LinkFrames, CommandDialects) {
    const std::vector<Bytes> version1{{32, 0, 32}, {161, 0, 161}, {16, 0, 16}, {144, 0, 144}};
    const std::vector<Bytes> version2{{145, 0, 145},  {153, 173, 70}, {169, 171, 84},
                                      {177, 169, 90}, {161, 0, 161},  {185, 1, 186}};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(commandFrame(c, 1), version1[c]) << c;
    for (int c = 0; c < 6; ++c) EXPECT_EQ(commandFrame(c, 2), version2[c]) << c;
    EXPECT_FALSE(commandFrame(4, 1));
    EXPECT_FALSE(commandFrame(5, 1));
    EXPECT_FALSE(commandFrame(0, 0));
    EXPECT_FALSE(commandFrame(6, 2));
}

TEST(LinkFrames, ReadRepliesAreTakenApart) {
    auto ok = parseReadReply({6, 33, 39}, 1);
    EXPECT_EQ(ok.kind, ReadReply::Kind::Complete);
    EXPECT_TRUE(ok.checksumMatches);
    EXPECT_EQ(ok.data, Bytes{33});

    auto acked134 = parseReadReply({134, 1, 2, 137, 99}, 2);  // trailing byte ignored
    EXPECT_EQ(acked134.kind, ReadReply::Kind::Complete);
    EXPECT_TRUE(acked134.checksumMatches);

    auto bad = parseReadReply({6, 33, 40}, 1);
    EXPECT_FALSE(bad.checksumMatches);
    EXPECT_EQ(bad.data, Bytes{33});

    EXPECT_EQ(parseReadReply({21, 0, 0}, 1).kind, ReadReply::Kind::Refused);
    EXPECT_EQ(parseReadReply({6, 33}, 1).kind, ReadReply::Kind::Short);
    EXPECT_EQ(parseReadReply({}, 0).kind, ReadReply::Kind::Short);
}

}  // namespace
}  // namespace kelvo::link
