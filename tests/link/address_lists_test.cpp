#include "link/address_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "support/test_context.h"

namespace kelvo {
namespace {

using test::TestContext;

struct ListRow {
    int list;
    int rangeLast;  // the list rewrites 0..rangeLast and nothing above
    std::vector<std::pair<int, int>> whole;
    std::vector<std::pair<int, uint8_t>> partial;
};

// Every list, address by address: the first and last address of each span, the partial
// masks, and the edge of the range (list 41 stops at 255, list 30 at 511).
TEST(AddressLists, EveryListSetsExactlyItsAddressesWithinItsRange) {
    const std::vector<ListRow> rows = {
        {1, 255, {{31, 32}, {57, 57}, {162, 196}, {205, 208}}, {}},
        {2, 255, {{14, 14}, {20, 23}, {198, 199}}, {}},
        {3, 255, {{63, 63}, {130, 131}, {209, 210}}, {}},
        {4, 255, {{31, 39}, {57, 57}, {59, 67}, {128, 145}, {162, 196}, {202, 210}, {212, 237}}, {}},
        {6, 255, {{31, 32}, {57, 57}, {59, 62}, {162, 196}, {205, 208}, {212, 213}, {216, 220},
                  {223, 232}}, {}},
        {7, 255, {{14, 14}, {20, 27}, {39, 39}, {59, 62}, {68, 75}, {145, 161}, {197, 200},
                  {213, 215}, {220, 222}, {227, 227}, {234, 234}, {255, 255}}, {}},
        {8, 255, {{0, 255}}, {}},
        {9, 255, {{20, 23}, {39, 39}, {60, 60}, {70, 71}, {148, 149}, {156, 159}, {234, 234}}, {}},
        {11, 255, {{31, 38}, {57, 57}, {59, 67}, {128, 144}, {162, 196}, {202, 210}, {212, 212},
                   {216, 219}, {223, 232}, {235, 237}}, {}},
        {12, 511, {{32, 32}, {50, 51}, {76, 81}, {84, 85}, {222, 223}}, {}},
        {13, 511, {{0, 31}, {34, 34}, {38, 40}, {43, 45}, {50, 51}, {96, 97}, {106, 149},
                   {162, 163}, {173, 173}, {218, 307}}, {{90, 8}, {95, 112}, {165, 254}}},
        {15, 511, {{0, 31}, {34, 34}, {38, 40}, {43, 45}, {50, 51}, {96, 97}, {106, 126},
                   {131, 149}, {162, 163}, {173, 173}, {218, 307}},
         {{90, 8}, {95, 112}, {127, 128}, {129, 128}, {165, 254}}},
        {20, 255, {{16, 117}, {128, 253}}, {}},
        {21, 255, {{46, 61}}, {}},
        {30, 511, {{0, 511}}, {}},
        {31, 511, {{12, 43}, {63, 64}, {72, 75}, {200, 207}, {211, 213}, {217, 218}, {230, 230},
                   {233, 233}, {236, 243}, {254, 254}}, {}},
        {32, 511, {{308, 341}}, {}},
        {33, 511, {{342, 375}}, {}},
        {34, 511, {{376, 409}}, {}},
        {35, 511, {{410, 443}}, {}},
        {36, 511, {{444, 477}}, {}},
        {37, 511, {{478, 511}}, {}},
        {39, 511, {{52, 59}, {98, 99}, {158, 159}, {170, 171}, {218, 231}}, {}},
        {40, 511, {{12, 15}, {30, 34}, {63, 63}, {72, 75}, {240, 243}, {254, 254}}, {}},
        {41, 255, {{12, 41}, {60, 64}, {67, 67}, {210, 213}, {230, 230}, {232, 234}, {240, 243}}, {}},
    };
    TestContext t;
    for (const ListRow& row : rows) {
        SCOPED_TRACE(row.list);
        std::array<uint8_t, kAddressMaskSize> expected;
        expected.fill(7);  // a value no list uses: what the range leaves alone keeps it
        std::fill_n(expected.begin(), row.rangeLast + 1, 0);
        for (auto [first, last] : row.whole) std::fill(&expected[first], &expected[last] + 1, 255);
        for (auto [address, mask] : row.partial) expected[address] = mask;
        t.ctx.AddressMask.fill(7);
        SelectAddressList(t.ctx, row.list);
        EXPECT_TRUE(IsKnownAddressList(row.list));
        for (int a = 0; a < kAddressMaskSize; ++a)
            ASSERT_EQ(t.ctx.AddressMask[a], expected[a]) << "address " << a;
    }
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

}  // namespace
}  // namespace kelvo
