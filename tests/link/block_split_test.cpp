// How reads and writes cut a selection into request frames, for all three memories.
// Each case names the selected addresses and the command and address bytes of every
// frame that must go out, in order.
#include <gtest/gtest.h>

#include "link/scripted_line.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"

namespace kelvo {
namespace {

using test::WiredContext;

enum class Mem { SmallEeprom, LargeEeprom, Ram };

struct SplitCase {
    const char* name;
    Mem memory;
    std::vector<int> selected;  // AddressMask entries set to 255
    std::vector<Bytes> heads;   // command byte and address byte(s) of each frame
};

void wire(WiredContext& w, Mem memory) {
    if (memory == Mem::SmallEeprom) w.identify(80);
    if (memory == Mem::LargeEeprom) {
        w.identify(32);
        w.line.largeEeprom = true;
    }
    w.line.eepromLocked = false;
    std::fill(w.ctx.EeRead.begin(), w.ctx.EeRead.end(), true);
}

std::vector<Bytes> headsOf(const std::vector<Bytes>& frames, Mem memory) {
    const size_t length = memory == Mem::LargeEeprom ? 3 : 2;
    std::vector<Bytes> heads;
    for (const Bytes& frame : frames) heads.emplace_back(frame.begin(), frame.begin() + length);
    return heads;
}

std::string caseName(const ::testing::TestParamInfo<SplitCase>& info) {
    return info.param.name;
}

class ReadSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ReadSplit, FramesAsTheRulesCutThem) {
    const SplitCase& c = GetParam();
    WiredContext w;
    wire(w, c.memory);
    for (int a : c.selected) w.ctx.AddressMask[a] = 255;
    bool report = true;
    ASSERT_TRUE(SensorMemRead(w.ctx, 0, 0, 0, c.memory != Mem::Ram, false, 100, report));
    EXPECT_EQ(headsOf(w.frames(), c.memory), c.heads);
}

INSTANTIATE_TEST_SUITE_P(
    AllMemories, ReadSplit,
    ::testing::Values(
        // The small EEPROM reads words: 2, 4 or 6 bytes from an even address.
        SplitCase{"SmallFarEndOfASixByteBlock", Mem::SmallEeprom, {0, 5}, {{142, 0}}},
        SplitCase{"SmallNearEndOfASixByteBlock", Mem::SmallEeprom, {0, 4}, {{142, 0}}},
        SplitCase{"SmallSixApartIsTwoBlocks", Mem::SmallEeprom, {0, 6}, {{138, 0}, {138, 3}}},
        SplitCase{"SmallFourBytes", Mem::SmallEeprom, {0, 3}, {{140, 0}}},
        SplitCase{"SmallTopWord", Mem::SmallEeprom, {510}, {{138, 255}}},
        SplitCase{"SmallOddAddressReadsItsWord", Mem::SmallEeprom, {11}, {{138, 5}}},
        SplitCase{"SmallBlockEndsAtTheTop", Mem::SmallEeprom, {506, 511}, {{142, 253}}},
        // The large EEPROM reads 1, 2 or 4 bytes and never 3.
        SplitCase{"LargeNextByte", Mem::LargeEeprom, {0, 1}, {{138, 0, 0}}},
        SplitCase{"LargeTwoAheadReadsFour", Mem::LargeEeprom, {0, 2}, {{140, 0, 0}}},
        SplitCase{
            "LargeFourAheadIsTwoBlocks", Mem::LargeEeprom, {0, 4}, {{137, 0, 0}, {137, 0, 4}}},
        SplitCase{"LargeOddAddressReadsItsWord", Mem::LargeEeprom, {1023}, {{138, 3, 254}}},
        // RAM reads up to 6 bytes, never across from 127 to 128.
        SplitCase{"RamSixBytes", Mem::Ram, {0, 5}, {{134, 0}}},
        SplitCase{"RamSevenApartIsTwoBlocks", Mem::Ram, {0, 6}, {{129, 0}, {129, 6}}},
        SplitCase{"RamCutAtTheHalf",
                  Mem::Ram,
                  {123, 124, 125, 126, 127, 128, 129, 130},
                  {{133, 123}, {195, 0}}},
        SplitCase{"RamTopByte", Mem::Ram, {255}, {{193, 127}}}),
    caseName);

class WriteSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(WriteSplit, FramesAsTheRulesCutThem) {
    const SplitCase& c = GetParam();
    WiredContext w;
    wire(w, c.memory);
    for (int a : c.selected) w.ctx.AddressMask[a] = 255;
    ASSERT_TRUE(
        SensorMemWrite(w.ctx, 0, 0, 0, c.memory != Mem::Ram, false, false, false, false, true));
    EXPECT_EQ(headsOf(w.frames(), c.memory), c.heads);
}

INSTANTIATE_TEST_SUITE_P(
    AllMemories, WriteSplit,
    ::testing::Values(
        // The small EEPROM takes whole words, 2 or 4 bytes a frame.
        SplitCase{"SmallOneByteSendsItsWord", Mem::SmallEeprom, {21}, {{10, 10}}},
        SplitCase{"SmallTwoWords", Mem::SmallEeprom, {20, 23}, {{12, 10}}},
        SplitCase{"SmallThreeWordsAreTwoFrames",
                  Mem::SmallEeprom,
                  {20, 21, 22, 23, 24, 25},
                  {{12, 10}, {10, 12}}},
        // The large EEPROM takes 1 to 4 bytes inside one 16-byte page; the farthest
        // selected byte in the page decides, gaps included.
        SplitCase{"LargeGapMakesThree", Mem::LargeEeprom, {0, 2}, {{11, 0, 0}}},
        SplitCase{"LargeFarEndMakesFour", Mem::LargeEeprom, {12, 15}, {{12, 0, 12}}},
        SplitCase{
            "LargePageEndStopsTheBlock", Mem::LargeEeprom, {13, 14, 16}, {{10, 0, 13}, {9, 0, 16}}},
        SplitCase{
            "LargeNothingElseInThePage", Mem::LargeEeprom, {14, 17}, {{9, 0, 14}, {9, 0, 17}}},
        SplitCase{"LargeUpperPage", Mem::LargeEeprom, {1020, 1023}, {{12, 3, 252}}},
        // RAM takes up to 4 bytes and is not cut at the halves.
        SplitCase{"RamAcrossTheHalves", Mem::Ram, {126, 129}, {{4, 126}}},
        SplitCase{"RamFiveApartIsTwoFrames", Mem::Ram, {10, 14}, {{1, 10}, {1, 14}}},
        SplitCase{"RamUpperHalf", Mem::Ram, {254, 255}, {{66, 126}}}),
    caseName);

}  // namespace
}  // namespace kelvo
