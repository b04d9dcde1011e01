#include "model/tables.h"

#include <gtest/gtest.h>

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

TEST(TableLookup, InterpolatesBothWays) {
    TestContext t;
    platform6(t.ctx);
    fillTable(t.ctx, 1, 5000, 1000);
    EXPECT_EQ(t.ctx.EeImage[342], 5000 / 256);  // table 1 starts at 308 + 34
    EXPECT_EQ(GetTableEntry(t.ctx, 1, 16), 21000);
    EXPECT_EQ(TableToRaw(t.ctx, 1, 6144), 6500);
    EXPECT_EQ(TableToLinear(t.ctx, 1, 6500), 6144);
    EXPECT_EQ(TableToLinear(t.ctx, 1, 5000), 0);
    EXPECT_EQ(TableToRaw(t.ctx, 1, 65536), 21000);
    EXPECT_EQ(TableToLinear(t.ctx, 1, 21000), 65536);
    // Halves go to the even neighbour: 5000 + 2048.5 * 1000 / 4096 = 5500.125 -> 5500.
    EXPECT_EQ(TableToRaw(t.ctx, 1, 2048.5), 5500);
}

TEST(TableLookup, ClampsAndGivesUpOutsideTheTable) {
    TestContext t;
    platform6(t.ctx);
    fillTable(t.ctx, 0, 5000, 1000);
    EXPECT_EQ(TableToRaw(t.ctx, 0, 65537), 0);
    EXPECT_EQ(TableToRaw(t.ctx, 0, -100000), 0);
    EXPECT_EQ(TableToRaw(t.ctx, 0, NAN), 0);
    EXPECT_EQ(TableToLinear(t.ctx, 0, 100), 65535);
    EXPECT_EQ(TableToLinear(t.ctx, 0, 30000), 65535);
    EXPECT_EQ(TableToLinear(t.ctx, 0, INFINITY), 0);
    fillTable(t.ctx, 2, 7000, 0);
    EXPECT_EQ(TableToLinear(t.ctx, 2, 7000), 0);
    // A steep last step extrapolates past the top and is clamped.
    fillTable(t.ctx, 3, 0, 4000);
    SetTableEntry(t.ctx, 3, 16, 65535);
    EXPECT_EQ(TableToRaw(t.ctx, 3, 65536), 65535);
}

TEST(TableLookup, FallingTablesWorkLikeRisingOnes) {
    TestContext t;
    platform6(t.ctx);
    fillTable(t.ctx, 4, 20000, -1000);
    EXPECT_EQ(TableToRaw(t.ctx, 4, 4096 * 3), 17000);
    EXPECT_EQ(TableToLinear(t.ctx, 4, 17000), 4096 * 3);
    EXPECT_EQ(TableToLinear(t.ctx, 4, 16750), 4096 * 3 + 1024);
    EXPECT_EQ(TableToLinear(t.ctx, 4, 20000), 0);  // the first entry itself
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

TEST(BuildTable, LastEntryContinuesTheLastStep) {
    const auto built = BuildTableEntries(0.3, -0.0004, 0.3, 0.5, 0.2, 20000, {});
    ASSERT_TRUE(built);
    EXPECT_EQ((*built)[16], 2 * (*built)[15] - (*built)[14]);
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
}

TEST(CO2References, Platform7ReadsItsReferencesThroughItsCO2Table) {
    TestContext t;
    test::loadMemory(t.ctx, *virtualsensor::FactoryImage(7, 1));
    EXPECT_NEAR(GetZeroReference(t.ctx, 0), 400, 3);  // fresh air, without a bias
}

TEST(CO2References, FactorTwoAndFactorZero) {
    TestContext t;
    test::loadMemory(t.ctx, *virtualsensor::FactoryImage(61, 1));  // 215: factor 2
    EXPECT_EQ(GetCO2Factor(t.ctx), 2);
    EXPECT_NEAR(GetZeroReference(t.ctx, 0), 5400, 3);
    SetZeroReference(t.ctx, 0, 5600);
    EXPECT_NEAR(GetZeroReference(t.ctx, 0), 5600, 3);
    // 214 has no CO2 factor: setting a reference would divide by zero, so the word stays.
    setRam(t.ctx, kRamIdByte, 214);
    const float before = t.ctx.EeImage[58] * 256 + t.ctx.EeImage[59];
    SetZeroReference(t.ctx, 0, 5400);
    SetSpanReference(t.ctx, 0, false, 7000);
    EXPECT_EQ(t.ctx.EeImage[58] * 256 + t.ctx.EeImage[59], before);
}

TEST(CO2References, Platform5ScalesBySpanWord) {
    TestContext t;
    test::loadMemory(t.ctx, *virtualsensor::FactoryImage(5, 0));
    t.ctx.Definition.loadedIdByte = 231;  // tables 0..3 built below, as a load would
    const auto built =
        BuildTableEntries(0.115081f, -0.00185441f, 0.42264f, 0.114645f, 0.2415f, 2000, {});
    for (int i = 0; i < kTableEntries; ++i) SetTableEntry(t.ctx, 1, i, (*built)[i]);
    EXPECT_NEAR(GetZeroReference(t.ctx, 0), 5400, 2);
    // A zero span word leaves the reference alone.
    const float stored = t.ctx.RamImage[216] * 256 + t.ctx.RamImage[217];
    test::setRamWord(t.ctx, 138, 0);
    SetZeroReference(t.ctx, 0, 6000);
    EXPECT_EQ(t.ctx.RamImage[216] * 256 + t.ctx.RamImage[217], stored);
    test::setRamWord(t.ctx, 138, 4096);
    SetZeroReference(t.ctx, 0, 5400);
    EXPECT_NEAR(GetZeroReference(t.ctx, 0), 5400, 2);
}

}  // namespace
}  // namespace kelvo
