#include "model/tables.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "model/identification.h"
#include "model/image_fill.h"
#include "support/test_context.h"
#include "virtualsensor/factory_images.h"

namespace kelvo {
namespace {

using test::setRam;
using test::TestContext;

void platform6(Context& ctx, uint8_t id = 222) {
    test::markAllRead(ctx);
    setRam(ctx, kRamIdByte, id);
    test::setEe(ctx, 165, 1);
    test::setEe(ctx, 173, 6);
}

void fillTable(Context& ctx, int table, double first, double step) {
    for (int i = 0; i < kTableEntries; ++i)
        SetTableEntry(ctx, table, i, static_cast<float>(first + step * i));
}

// Nearest, halves to the even neighbour, clamped; what no segment takes gives 0.
TEST(TableLookup, InterpolatesBothWaysAndClamps) {
    TestContext t;
    platform6(t.ctx);
    fillTable(t.ctx, 0, 5000, 1000);
    fillTable(t.ctx, 1, 5000, 1000);
    fillTable(t.ctx, 2, 7000, 0);
    fillTable(t.ctx, 3, 0, 4000);
    SetTableEntry(t.ctx, 3, 0, 60000);          // a first step unlike the others
    SetTableEntry(t.ctx, 3, 16, 65535);         // a steep last step extrapolates past the top
    fillTable(t.ctx, 4, 20000, -1000);          // falling tables work like rising ones
    EXPECT_EQ(t.ctx.EeImage[342], 5000 / 256);  // table 1 starts at 308 + 34
    EXPECT_EQ(GetTableEntry(t.ctx, 1, 16), 21000);
    // 5500.125 -> 5500, 5187.5 -> 5188, 5062.5 -> 5062; 3.5 -> 4 and 2.5 -> 2 the other way.
    const struct {
        int table;
        bool toRaw;
        double in, out;
    } cases[] = {{1, true, 6144, 6500},
                 {1, false, 6500, 6144},
                 {1, false, 5000, 0},
                 {1, true, 65536, 21000},
                 {1, false, 21000, 65536},
                 {1, true, 2048.5, 5500},
                 {1, true, 768, 5188},
                 {1, true, 256, 5062},
                 {1, false, 5000 + 3.5 * 1000 / 4096, 4},
                 {1, false, 5000 + 2.5 * 1000 / 4096, 2},
                 {0, true, 65537, 0},
                 {0, true, -100000, 0},
                 {0, true, NAN, 0},
                 {0, false, 100, 65535},
                 {0, false, 30000, 65535},
                 {0, false, INFINITY, 0},
                 {2, false, 7000, 0},
                 {3, true, 65536, 65535},
                 {4, true, 4096 * 3, 17000},
                 {4, false, 17000, 4096 * 3},
                 {4, false, 16750, 4096 * 3 + 1024},
                 {4, false, 20000, 0},
                 {4, false, 4000, 65536},
                 {4, true, -200000, 65535},
                 {4, true, -45536 * 4.096, 65535},
                 {3, true, 2048, 32000},
                 {3, true, -DBL_MAX, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.toRaw ? TableToRaw(t.ctx, c.table, c.in) : TableToLinear(t.ctx, c.table, c.in),
                  c.out)
            << "table " << c.table << (c.toRaw ? " raw of " : " linear of ") << c.in;
    }
}

TEST(TableAddresses, EachPlatformKeepsItsOwn) {
    TestContext t;
    test::markAllRead(t.ctx);
    setRam(t.ctx, kRamIdByte, 0x20);
    SetTableEntry(t.ctx, 2, 0, 0x1234);
    EXPECT_EQ(t.ctx.EeImage[580], 0x12);
    EXPECT_EQ(t.ctx.EeImage[581], 0x34);
    setRam(t.ctx, kRamIdByte, 231);
    t.ctx.Definition.loadedIdByte = 231;
    SetTableEntry(t.ctx, 1, 16, 0x0102);
    EXPECT_EQ(t.ctx.EeImage[34 + 32], 1);
    SetTableEntry(t.ctx, 0, 0, 0x0304);  // the first table starts at address 0
    EXPECT_EQ(t.ctx.EeImage[0], 3);
    EXPECT_EQ(GetTableEntry(t.ctx, 1, 16), 0x0102);
    // Nothing past the top of the EEPROM, nor past the last entry into the next table.
    SetTableEntry(t.ctx, 15, 0, 1);
    EXPECT_EQ(GetTableEntry(t.ctx, 15, 0), 0);
    EXPECT_EQ(GetTableEntry(t.ctx, 1, 17), 0);
    const float next = GetTableEntry(t.ctx, 2, 0);
    SetTableEntry(t.ctx, 1, 17, 0x0505);
    EXPECT_EQ(GetTableEntry(t.ctx, 2, 0), next);
}

TEST(BuildTable, NoModelWritesNothing) {
    TestContext t;
    platform6(t.ctx);
    fillTable(t.ctx, 0, 1000, 10);
    EXPECT_FALSE(BuildTable(t.ctx, 0, 0, 0, 0, 0.5f, 0.5f, 2000, 0));
    // However large u: its terms cancel then only to within its rounding.
    EXPECT_FALSE(BuildTable(t.ctx, 0, 0, 0, 0, 0.5f, 1e17f, 2000, 0));
    EXPECT_EQ(GetTableEntry(t.ctx, 0, 3), 1030);
    // A model that stays at 1 cannot be scaled between its start point and zero gas.
    EXPECT_FALSE(BuildTable(t.ctx, 0, 0.5f, 0, 0, 0, 0, 2000, 0));
    EXPECT_EQ(GetTableEntry(t.ctx, 0, 3), 1030);
}

TEST(BuildTable, SpansZeroToTheStartPointAndExtendsTheLastStep) {
    TestContext t;
    platform6(t.ctx);
    int events = 0;
    t.pump.onEvents([&events] { ++events; });
    ASSERT_TRUE(
        BuildTable(t.ctx, 4, 0.115081f, -0.00185441f, 0.42264f, 0.114645f, 0.2415f, 2000, 0));
    EXPECT_GT(events, 16 * 20);                    // the interface runs throughout the bisections
    EXPECT_EQ(GetTableEntry(t.ctx, 4, 15), 5000);  // full scale is zero gas
    EXPECT_NEAR(GetTableEntry(t.ctx, 4, 0), 7000, 1);
    for (int i = 0; i < 15; ++i)
        EXPECT_GT(GetTableEntry(t.ctx, 4, i), GetTableEntry(t.ctx, 4, i + 1));
    EXPECT_EQ(GetTableEntry(t.ctx, 4, 16),
              2 * GetTableEntry(t.ctx, 4, 15) - GetTableEntry(t.ctx, 4, 14));
    // Platform 7 builds but keeps its table.
    setRam(t.ctx, kRamIdByte, 0x20);
    EXPECT_TRUE(
        BuildTable(t.ctx, 0, 0.115081f, -0.00185441f, 0.42264f, 0.114645f, 0.2415f, 2000, 0));
    EXPECT_EQ(t.ctx.EeImage[512], 0);
}

TEST(BuildTable, WildCoefficientsStayInsideAWord) {
    const auto built = BuildTableEntries(1e30, 1e30, -1e30, 3, 1e30, 70000, {});
    if (built)
        for (float e : *built) {
            EXPECT_GE(e, 0);
            EXPECT_LE(e, 65535);
        }
}

// A read platform-6 factory sensor: its references agree with its table.
TEST(CO2References, ZeroReferenceRoundTrips) {
    TestContext t;
    test::loadMemory(t.ctx, *virtualsensor::FactoryImage(6, 0));
    EXPECT_NEAR(GetZeroReference(t.ctx, 0), 5400, 2);  // fresh air, 400 ppm
    SetZeroReference(t.ctx, 0, 5450);
    EXPECT_NEAR(GetZeroReference(t.ctx, 0), 5450, 2);
    EXPECT_NEAR(GetSpanReference(t.ctx, 0, false, false), 7000, 3);
    EXPECT_NEAR(GetSpanReference(t.ctx, 0, true, false), 7000, 3);
    SetSpanReference(t.ctx, 0, false, 6500);
    EXPECT_NEAR(GetSpanReference(t.ctx, 0, false, false), 6500, 3);
    EXPECT_NEAR(GetSpanReference(t.ctx, 0, true, false), 7000, 3);
    EXPECT_EQ(t.ctx.ErrorText, "");
    // Storing again the value a word stands for keeps the word, though near the ends of the
    // table that value encodes to another word.
    for (const int word : {1600, 6000, 50000}) {
        test::setEeWord(t.ctx, 38, word);
        test::setEeWord(t.ctx, 36, word);
        test::setRamWord(t.ctx, 212, word);
        SetZeroReference(t.ctx, 0, GetZeroReference(t.ctx, 0));
        SetSpanReference(t.ctx, 0, false, GetSpanReference(t.ctx, 0, false, false));
        SetSpanReference(t.ctx, 0, true, GetSpanReference(t.ctx, 0, true, false));
        EXPECT_EQ(t.ctx.EeImage[38] * 256 + t.ctx.EeImage[39], word);
        EXPECT_EQ(t.ctx.EeImage[36] * 256 + t.ctx.EeImage[37], word);
        EXPECT_EQ(t.ctx.RamImage[212] * 256 + t.ctx.RamImage[213], word);
    }
    // Only the word itself is fetched. A word that cannot be fetched reads as 0, with the
    // read's message, and so does a span reference while a message is pending.
    t.ctx.EeRead[40] = false;
    EXPECT_NE(GetZeroReference(t.ctx, 0), 0);
    EXPECT_EQ(t.ctx.ErrorText, "");
    test::setRamWord(t.ctx, 212, 2991);
    t.ctx.EeRead[36] = false;
    EXPECT_EQ(GetSpanReference(t.ctx, 0, false, false), 0);
    EXPECT_NE(t.ctx.ErrorText, "");
    EXPECT_EQ(GetSpanReference(t.ctx, 0, true, false), 0);
    t.ctx.ErrorText.clear();
    t.ctx.EeRead[38] = false;
    EXPECT_EQ(GetZeroReference(t.ctx, 0), 0);
    EXPECT_NE(t.ctx.ErrorText, "");
    t.ctx.ErrorText.clear();
    test::setEeWord(t.ctx, 36, 50000);
    // However small the zero word, a span is still expressed.
    test::setEeWord(t.ctx, 46, 1);
    SetSpanReference(t.ctx, 0, false, 6500);
    EXPECT_NE(t.ctx.EeImage[36] * 256 + t.ctx.EeImage[37], 50000);
}

TEST(CO2References, Platform7ReadsItsReferencesThroughItsCO2Table) {
    TestContext t;
    test::loadMemory(t.ctx, *virtualsensor::FactoryImage(7, 1));
    EXPECT_NEAR(GetZeroReference(t.ctx, 0), 400, 3);  // fresh air, without a bias
}

TEST(CO2References, FactorTwoHalvesTheZeroReferencesDistanceFromFullScale) {
    TestContext t;
    test::loadMemory(t.ctx, *virtualsensor::FactoryImage(61, 1));  // 215: factor 2
    EXPECT_EQ(GetCO2Factor(t.ctx), 2);
    EXPECT_NEAR(GetZeroReference(t.ctx, 0), 5400, 3);
    SetZeroReference(t.ctx, 0, 5600);
    EXPECT_NEAR(GetZeroReference(t.ctx, 0), 5600, 3);
}

TEST(CO2References, Platform5ScalesBySpanWord) {
    TestContext t;
    test::loadMemory(t.ctx, *virtualsensor::FactoryImage(5, 0));
    t.ctx.Definition.loadedIdByte = 231;  // tables 0..3 built below, as a load would
    const auto built =
        BuildTableEntries(0.115081f, -0.00185441f, 0.42264f, 0.114645f, 0.2415f, 2000, {});
    for (int i = 0; i < kTableEntries; ++i) SetTableEntry(t.ctx, 1, i, (*built)[i]);
    // The span words of channels 0 and 2 play no part in index 0.
    test::setRamWord(t.ctx, 136, 0);
    test::setRamWord(t.ctx, 140, 0);
    EXPECT_NEAR(GetZeroReference(t.ctx, 0), 5400, 2);
    // A zero span word leaves the reference alone.
    const float stored = t.ctx.RamImage[216] * 256 + t.ctx.RamImage[217];
    test::setRamWord(t.ctx, 138, 0);
    SetZeroReference(t.ctx, 0, 6000);
    EXPECT_EQ(t.ctx.RamImage[216] * 256 + t.ctx.RamImage[217], stored);
    test::setRamWord(t.ctx, 138, 1);  // the smallest factor still scales, to below the word
    SetZeroReference(t.ctx, 0, 6000);
    EXPECT_EQ(t.ctx.RamImage[216] * 256 + t.ctx.RamImage[217], 0);
    test::setRamWord(t.ctx, 138, 4096);
    SetZeroReference(t.ctx, 0, 6000);
    EXPECT_NEAR(GetZeroReference(t.ctx, 0), 6000, 2);
    // A span word of 4096 doubles the distance from full scale: the word 40960 (20480 from
    // it) stands for 20480 linear, 20000 raw on this table.
    fillTable(t.ctx, 1, 0, 4000);
    test::setRamWord(t.ctx, 216, 40960);
    EXPECT_EQ(GetZeroReference(t.ctx, 0), 20000);
}

// Storing a reference changes its own word and nothing else in the image. An index that
// has none changes nothing, nor does a sensor without a CO2 factor (214: it would divide by
// zero) or platform 61's index 1, which has no zero word to scale a span by.
TEST(CO2References, EachPlatformAndIndexStoresIntoItsOwnWord) {
    struct Word {
        bool eeprom = false;
        int address = -1;
    };
    struct Row {
        int platform, version, n;
        Word zero = {}, stored = {}, live = {};
    };
    constexpr bool ram = false, ee = true;
    for (const Row& r : {Row{5, 0, 0, {ram, 216}, {ram, 214}, {ram, 214}},
                         {5, 0, 1, {ram, 223}, {ram, 221}, {ram, 221}},
                         {5, 0, 2},
                         {5, 0, -1},
                         {6, 0, 0, {ee, 38}, {ee, 36}, {ram, 212}},
                         {6, 0, 1, {ee, 43}, {ee, 41}, {ram, 217}},
                         {6, 0, 2},
                         {6, 0, -1},
                         {61, 1, 0, {ee, 58}, {ee, 34}, {ram, 210}},
                         {61, 1, 1, {ee, 60}},
                         {61, 1, 2},
                         {61, 0, 0},
                         {7, 1, 0, {ee, 976}},
                         {7, 1, 5, {ee, 986}},
                         {7, 1, 24, {ee, 1024}},
                         {7, 1, 25},
                         {7, 1, -1}}) {
        for (int kind = 0; kind < 3; ++kind) {
            TestContext t;
            test::loadMemory(t.ctx, *virtualsensor::FactoryImage(r.platform, r.version));
            if (r.platform == 5) {  // its tables come from the definition, as a load builds them
                t.ctx.Definition.loadedIdByte = static_cast<uint8_t>(t.ctx.RamImage[kRamIdByte]);
                fillTable(t.ctx, 1, 5000, 1000);
                fillTable(t.ctx, 2, 5000, 1000);
            }
            const Word w = kind == 0 ? r.zero : kind == 1 ? r.stored : r.live;
            // Where there is no word at all nothing is fetched and the reference reads as 0
            // (platform 61 keeps words it cannot store into).
            const bool none = w.address < 0 && r.platform != 61;
            if (none) {
                t.ctx.EeRead.fill(false);
                t.ctx.RamRead.fill(false);
                t.ctx.RamRead[kRamIdByte] = true;
            }
            const auto ramBefore = t.ctx.RamImage;
            const auto eeBefore = t.ctx.EeImage;
            for (const float raw : {6000.0f, 6610.0f}) {
                if (kind == 0)
                    SetZeroReference(t.ctx, r.n, raw);
                else
                    SetSpanReference(t.ctx, r.n, kind == 2, raw);
            }
            const auto inWord = [&w](bool eeprom, int a) {
                return w.address >= 0 && eeprom == w.eeprom && a >= w.address && a <= w.address + 1;
            };
            int inside = 0, outside = 0;
            for (int a = 0; a < kRamImageSize; ++a)
                if (t.ctx.RamImage[a] != ramBefore[a]) ++(inWord(ram, a) ? inside : outside);
            for (int a = 0; a < kEeImageSize; ++a)
                if (t.ctx.EeImage[a] != eeBefore[a]) ++(inWord(ee, a) ? inside : outside);
            const char* what[] = {"zero", "stored span", "live span"};
            EXPECT_EQ(outside, 0) << r.platform << " index " << r.n << " " << what[kind];
            EXPECT_EQ(inside > 0, w.address >= 0) << r.platform << " index " << r.n << what[kind];
            if (none) {
                EXPECT_EQ(kind == 0 ? GetZeroReference(t.ctx, r.n)
                                    : GetSpanReference(t.ctx, r.n, kind == 2, false),
                          0)
                    << r.platform << " index " << r.n << " " << what[kind];
                EXPECT_EQ(t.silent.opens, 0) << r.platform << " index " << r.n << " " << what[kind];
            }
        }
    }
}

}  // namespace
}  // namespace kelvo
