#include "link/address_lists.h"

#include <gtest/gtest.h>

#include "support/test_context.h"

namespace kelvo {
namespace {

using test::TestContext;

std::vector<int> selected(const Context& ctx, int first, int last, uint8_t value = 255) {
    std::vector<int> addresses;
    for (int a = first; a <= last; ++a)
        if (ctx.AddressMask[a] == value) addresses.push_back(a);
    return addresses;
}

TEST(AddressLists, List30SelectsTheSmallEepromAndLeavesTheRestAlone) {
    TestContext t;
    t.ctx.AddressMask.fill(7);
    SelectAddressList(t.ctx, 30);
    EXPECT_EQ(selected(t.ctx, 0, 511).size(), 512u);
    for (int a = 512; a <= 1026; ++a) ASSERT_EQ(t.ctx.AddressMask[a], 7) << a;
}

TEST(AddressLists, List41RewritesOnlyTheFirst256Entries) {
    TestContext t;
    t.ctx.AddressMask.fill(255);
    SelectAddressList(t.ctx, 41);
    EXPECT_EQ(t.ctx.AddressMask[11], 0);
    EXPECT_EQ(t.ctx.AddressMask[12], 255);
    EXPECT_EQ(t.ctx.AddressMask[255], 0);
    EXPECT_EQ(t.ctx.AddressMask[256], 255);
    EXPECT_EQ(t.ctx.AddressMask[511], 255);
}

TEST(AddressLists, List15CarriesPartialMasks) {
    TestContext t;
    SelectAddressList(t.ctx, 15);
    EXPECT_EQ(t.ctx.AddressMask[127], 128);
    EXPECT_EQ(t.ctx.AddressMask[128], 0);
    EXPECT_EQ(t.ctx.AddressMask[129], 128);
    EXPECT_EQ(t.ctx.AddressMask[130], 0);
    EXPECT_EQ(t.ctx.AddressMask[131], 255);
    EXPECT_EQ(t.ctx.AddressMask[90], 8);
    EXPECT_EQ(t.ctx.AddressMask[95], 112);
    EXPECT_EQ(t.ctx.AddressMask[165], 254);
    EXPECT_EQ(t.ctx.AddressMask[126], 255);
    // List 13 differs from 15 only around 127..130.
    SelectAddressList(t.ctx, 13);
    for (int a = 127; a <= 130; ++a) EXPECT_EQ(t.ctx.AddressMask[a], 255) << a;
}

TEST(AddressLists, TableListsCoverConsecutive34ByteTables) {
    TestContext t;
    for (int list = 32; list <= 37; ++list) {
        SelectAddressList(t.ctx, list);
        const int first = 308 + 34 * (list - 32);
        const auto whole = selected(t.ctx, 0, 511);
        ASSERT_EQ(whole.size(), 34u) << list;
        EXPECT_EQ(whole.front(), first);
        EXPECT_EQ(whole.back(), first + 33);
    }
}

TEST(AddressLists, PlatformFiveSettingsList) {
    TestContext t;
    SelectAddressList(t.ctx, 6);
    std::vector<int> expected;
    for (auto [first, last] : std::vector<std::pair<int, int>>{{31, 32},
                                                               {57, 57},
                                                               {59, 62},
                                                               {162, 196},
                                                               {205, 208},
                                                               {212, 213},
                                                               {216, 220},
                                                               {223, 232}})
        for (int a = first; a <= last; ++a) expected.push_back(a);
    EXPECT_EQ(selected(t.ctx, 0, 1026), expected);
}

TEST(AddressLists, UnknownListsChangeNothing) {
    TestContext t;
    for (int a = 0; a < 1027; ++a) t.ctx.AddressMask[a] = static_cast<uint8_t>(a * 7);
    const auto before = t.ctx.AddressMask;
    for (int list : {0, 5, 10, 14, 16, 17, 18, 19, 22, 29, 38, 42, 99, -1}) {
        SelectAddressList(t.ctx, list);
        EXPECT_FALSE(IsKnownAddressList(list)) << list;
    }
    EXPECT_EQ(t.ctx.AddressMask, before);
}

TEST(AddressLists, EveryKnownListClearsWhatItDoesNotName) {
    TestContext t;
    for (int list = 1; list <= 41; ++list) {
        if (!IsKnownAddressList(list)) continue;
        t.ctx.AddressMask.fill(1);  // a value no list uses
        SelectAddressList(t.ctx, list);
        const int last = t.ctx.AddressMask[300] == 1 ? 255 : 511;
        for (int a = 0; a <= last; ++a) ASSERT_NE(t.ctx.AddressMask[a], 1) << list << " " << a;
    }
}

}  // namespace
}  // namespace kelvo
