#include "model/tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <random>
#include <vector>

#include "model/identification.h"
#include "model/image_fill.h"
#include "support/test_context.h"
#include "virtualsensor/factory_images.h"

namespace kelvo {
namespace {

using test::even;
using test::platform6;
using test::setRam;
using test::TestContext;

void fillTable(Context& ctx, int table, double first, double step) {
    for (int i = 0; i < kTableEntries; ++i)
        SetTableEntry(ctx, table, i, static_cast<float>(first + step * i));
}

// The lookups written out from the table's definition: nearest, halves to the even
// neighbour, clamped (65535 one way, 65536 the other); what no segment takes gives 0.
double rawOf(const TableEntries& e, double x) {
    for (int i = 0; i < 16 && x == x; ++i) {
        if (4096.0 * (i + 1) < x) continue;
        const double r = even(e[i] + (x - 4096.0 * i) / 4096 * (e[i + 1] - e[i]));
        return !std::isfinite(r) || r < 0 ? 0 : std::min(r, 65535.0);
    }
    return 0;
}

double linearOf(const TableEntries& e, double y) {
    double r = 0;
    for (int i = 0; i < 16 && std::isfinite(y); ++i) {
        if (e[i] == e[i + 1]) continue;
        if (y < std::min(e[i], e[i + 1]) || y > std::max(e[i], e[i + 1])) {
            r = 65535;
            continue;
        }
        const double x = even(4096.0 * i + 4096 * (y - e[i]) / (e[i + 1] - e[i]));
        return std::isnan(x) ? 0 : std::clamp(x, 0.0, 65536.0);  // an arithmetic error gives 0
    }
    return r;
}

// Tables rising, falling, flat, with a first or last step unlike the others, and at random;
// looked up on and beside every entry and segment end, halfway and at exact halves.
TEST(TableLookup, InterpolatesBothWaysAsDefinedAtEveryDecidingPoint) {
    std::vector<TableEntries> tables;
    const auto steps = [&](double first, double step) {
        TableEntries e;
        for (int i = 0; i < kTableEntries; ++i) e[i] = static_cast<float>(first + step * i);
        tables.push_back(e);
        return &tables.back();
    };
    steps(5000, 1000), steps(1000, 2048), steps(20000, -1000), steps(7000, 0), steps(0, 8192 / 3.0);
    (*steps(0, 4000))[0] = 60000, tables.back()[16] = 65535;
    (*steps(5000, 1000))[0] = INFINITY;  // no word is, but nothing stops a caller
    std::mt19937 random(29);
    for (int n = 0; n < 20; ++n) {
        TableEntries e;
        for (float& entry : e) entry = static_cast<float>(random() % 4 ? random() % 65536 : 30000);
        if (n % 2) std::sort(e.begin(), e.end());
        tables.push_back(e);
    }
    for (const TableEntries& e : tables) {
        std::vector<double> xs = {65537, -100000, NAN, -DBL_MAX, INFINITY, 65536.5};
        for (int i = 0; i <= 16; ++i)
            for (const double d : {-1.0, -0.5, 0.0, 0.5, 1.0, 2048.0, 2048.5, 768.0, 256.0})
                xs.push_back(4096.0 * i + d);
        for (const double x : xs)
            ASSERT_EQ(InterpolateToRaw(e, x), rawOf(e, x)) << x << " " << e[0] << " " << e[1];
        std::vector<double> ys = {0, 100, 70000, NAN, INFINITY, -DBL_MAX};
        for (int i = 0; i < 16; ++i)
            for (const double d : {-1.0, -0.5, 0.0, 0.5, 1.0})
                ys.insert(ys.end(), {e[i] + d, (e[i] + e[i + 1]) / 2 + d,
                                     e[i] + (e[i + 1] - e[i]) * 3.5 / 4096});
        for (const double y : ys)
            ASSERT_EQ(InterpolateToLinear(e, y), linearOf(e, y)) << y << " " << e[0] << " " << e[1];
    }
    // The image's tables are the ones looked up.
    TestContext t;
    platform6(t.ctx);
    fillTable(t.ctx, 1, 5000, 1000);
    EXPECT_EQ(t.ctx.EeImage[342], 5000 / 256);  // table 1 starts at 308 + 34
    EXPECT_EQ(TableToRaw(t.ctx, 1, 6144), 6500);
    EXPECT_EQ(TableToLinear(t.ctx, 1, 6500), 6144);
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
    SetTableEntry(t.ctx, 2, 0, 0x0707);
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

TEST(CO2References, OnlyTheWordItselfIsFetched) {
    TestContext t;
    test::loadMemory(t.ctx, *virtualsensor::FactoryImage(6, 0));
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

// A zero reference word is 61440 less the linear value's distance from full scale divided by
// the factor (platform 5: times 2048 over the span word), nearest with halves to even; a span
// reference word is that times 2048 over the zero word. Each reads back through the table. A
// raw value the word already stands for keeps the word, also near the table's ends where
// encoding it again would give another. Factors 1 and 2, span words from the smallest on, raw
// values on and beside the table's entries and the words' ends.
TEST(CO2References, ReferencesAsDefinedForEveryFactor) {
    struct Reference {
        int platform, version, span,
            kind;  // span: platform 5's span word; kind: zero, stored, live
        bool ram;
        int word;
    };
    for (const Reference& r : {Reference{6, 0, 0, 0, false, 38},
                               {6, 0, 0, 1, false, 36},
                               {6, 0, 0, 2, true, 212},
                               {61, 1, 0, 0, false, 58},
                               {61, 1, 0, 1, false, 34},
                               {61, 1, 0, 2, true, 210},
                               {7, 1, 0, 0, false, 976},
                               {5, 0, 0, 0, true, 216},
                               {5, 0, 1, 0, true, 216},
                               {5, 0, 2048, 0, true, 216},
                               {5, 0, 3000, 0, true, 216},
                               {5, 0, 4096, 0, true, 216}}) {
        TestContext t;
        test::loadMemory(t.ctx, *virtualsensor::FactoryImage(r.platform, r.version));
        const bool five = r.platform == 5;
        if (five) {
            t.ctx.Definition.loadedIdByte = 231;  // table 1 built as a load builds it
            const auto built =
                BuildTableEntries(0.115081f, -0.00185441f, 0.42264f, 0.114645f, 0.2415f, 2000, {});
            for (int i = 0; i < kTableEntries; ++i) SetTableEntry(t.ctx, 1, i, (*built)[i]);
            test::setRamWord(t.ctx, 138, r.span);
        }
        const int table = five              ? 1
                          : r.platform == 7 ? 5
                                            : GetChannelTable(t.ctx, GetCO2Channel(t.ctx, 0));
        TableEntries e;
        for (int i = 0; i < kTableEntries; ++i) e[i] = GetTableEntry(t.ctx, table, i);
        const double k = five ? r.span / 2048.0 : GetCO2Factor(t.ctx);
        const double zero = r.kind ? GetZeroWord(t.ctx, GetCO2Channel(t.ctx, 0)) / 2048 : 1;
        const auto stored = [&] {
            const auto& m = r.ram ? t.ctx.RamImage.data() : t.ctx.EeImage.data();
            return m[r.word] * 256.0 + m[r.word + 1];
        };
        const auto get = [&] {
            return r.kind ? GetSpanReference(t.ctx, 0, r.kind == 2, false)
                          : GetZeroReference(t.ctx, 0);
        };
        const auto set = [&](double raw) {
            if (r.kind)
                SetSpanReference(t.ctx, 0, r.kind == 2, static_cast<float>(raw));
            else
                SetZeroReference(t.ctx, 0, static_cast<float>(raw));
        };
        const auto readBack = [&](double w) { return rawOf(e, 61440 - (61440 - w * zero) * k); };
        const auto check = [&](double raw) {
            const double before = stored(), x = linearOf(e, raw);
            double word = five ? 61440 - (61440 - x) * 2048 / r.span : 61440 - (61440 - x) / k;
            word = std::clamp(even(word / zero), 0.0, 65535.0);
            if (readBack(before) == raw || (five && r.span == 0)) word = before;
            set(raw);
            ASSERT_EQ(stored(), word) << r.platform << " " << r.kind << " " << r.span << " " << raw;
            ASSERT_TRUE((five && r.span == 0) || get() == readBack(word)) << raw;
        };
        for (const int word : {1600, 6000, 50000}) {
            (r.ram ? test::setRamWord : test::setEeWord)(t.ctx, r.word, word);
            check(get());
        }
        for (const float entry : e)
            for (const double d : {-1.0, 0.0, 1.0, 2.0, 50.0}) check(entry + d);
        for (const double raw : {0, 1, 65534, 65535}) check(raw);
        EXPECT_EQ(t.ctx.ErrorText, "");
    }
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
                t.ctx.RamImage[136] = t.ctx.RamImage[137] = 0;  // channel 0's span word: no part
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
