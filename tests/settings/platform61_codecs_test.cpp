// The platform-61 and platform-7 settings codecs and alarm rules, without widgets.
#include "settings/platform61_codecs.h"

#include <gtest/gtest.h>

#include "support/test_context.h"

namespace kelvo::p61 {
namespace {

// The window's pick list of channels: items "CH0" .. "CH12".
std::string designCaption(int n) {
    return n >= 0 && n < kChannelCaptions ? "CH" + std::to_string(n) : std::string();
}

TEST(Platform61Alarms, AValueEqualToItsLevelRaisesNoAlarm) {
    const struct {
        const char* value;
        const char* level;
        Slope slope;
        bool raised;
    } cases[] = {
        {"1.5", "1.5", Slope::Above, false},  {"1.51", "1.5", Slope::Above, true},
        {"1.49", "1.5", Slope::Above, false}, {"19", "19", Slope::Below, false},
        {"18.9", "19", Slope::Below, true},   {"20.9", "19", Slope::Below, false},
        {"-3", "-2", Slope::Below, true},     {"1000 ppm", "1000", Slope::Above, false},
        {"", "0", Slope::Above, false},  // nothing shown counts as 0
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AlarmRaised(c.value, c.level, c.slope), c.raised)
            << c.value << (c.slope == Slope::Above ? " > " : " < ") << c.level;
    }
}

TEST(Platform61Alarms, EvenRowsDriveThePreAlarmAndOddRowsTheMainAlarm) {
    const std::vector<AlarmRow> quiet{
        {"500", "1000", ">"}, {"500", "5000", ">"}, {"20.9", "19", "<"}, {"20.9", "18", "<"}};
    const auto alarms = [&](int row, std::optional<std::string> value) {
        std::vector<AlarmRow> rows = quiet;
        rows[size_t(row)].value = std::move(value);
        const AlarmOutputs out = Platform7Alarms(rows);
        return std::pair{out.pre, out.main};
    };
    EXPECT_EQ(alarms(0, "500"), std::pair(false, false));
    EXPECT_EQ(alarms(0, "1001"), std::pair(true, false));
    EXPECT_EQ(alarms(1, "5001"), std::pair(false, true));
    EXPECT_EQ(alarms(2, "18.5"), std::pair(true, false));
    EXPECT_EQ(alarms(3, "17"), std::pair(false, true));
    // A row whose channel is not shown has no value to compare: it raises nothing.
    EXPECT_EQ(alarms(3, std::nullopt), std::pair(false, false));
}

TEST(Platform61Status, EachStatusBitShowsItsTextAndOnlyBitOneIsSilent) {
    const struct {
        uint8_t status;
        const char* shown;
    } cases[] = {
        {0x00, "OK"},
        {0x02, "OK"},
        {0x01, "FatalError "},
        {0x04, "Algorithm error "},
        {0x08, "Output error "},
        {0x10, "Selfdiagnostic error "},
        {0x20, "Out of range "},
        {0x40, "Memory error "},
        {0x80, "Warming up "},
        {0xA3, "FatalError Out of range Warming up "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StatusShown(c.status), c.shown) << int(c.status);
        EXPECT_EQ(StatusIsError(c.status), std::string(c.shown) != "OK") << int(c.status);
    }
}

// The display sequence, alarm channels and slopes through a field table, as the window
// binds them: what is stored for what the control shows.
TEST(Platform61Fields, EachControlStoresTheBitsItsTextNames) {
    test::TestContext t;
    std::string slot0, slot1, slot7, channel7, slope;
    FieldTable table;
    auto control = [](std::string& text) {
        return FieldControl{"", [&text] { return text; },
                            [&text](const std::string& shown) { text = shown; }};
    };
    table.add(control(slot0), eepromByte(50, 0x0F), displayNibbleCodec(designCaption, 0, 13));
    table.add(control(slot1), eepromByte(50, 0xF0), displayNibbleCodec(designCaption, 4, 13));
    table.add(control(slot7), eepromByte(393), displayByteCodec(designCaption, 9));
    table.add(control(channel7), eepromByte(925, 0x0F), alarmChannelCodec(designCaption));
    table.add(control(slope), slopePlace(834), slopeCodec());

    const struct {
        const char* slot0;
        const char* slot1;
        const char* slot7;
        const char* channel7;
        const char* slope;
        int ee50, ee393, ee925, ee836, ee838, ee839;
    } cases[] = {
        // The sensor's own bytes, shown and left: every bit goes back as it was.
        {nullptr, nullptr, nullptr, nullptr, nullptr, 0xFD, 14, 0xAF, 0x7F, 0x12, 0x34},
        {"CH5", "CH4", "CH8", "CH6", ">", 0x45, 8, 0xA6, 0x7F, 0x12, 0x34},
        {"CH5", "CH4", "CH9", "CH13", "<", 0x45, 14, 0xAF, 0xFF, 0x3F, 0xFF},
        // A slot that names no channel is channel 0 on platform 61 and kept on platform 7.
        {"Temp", "x", "O2", "?", "up", 0x00, 14, 0xAF, 0x7F, 0x12, 0x34},
    };
    for (const auto& c : cases) {
        auto& ee = t.ctx.EeImage;
        ee[50] = 0xFD;
        ee[393] = 14;
        ee[925] = 0xAF;
        ee[836] = 0x7F;
        ee[838] = 0x12;
        ee[839] = 0x34;
        table.show(t.ctx);
        EXPECT_EQ(slot0, "");  // nibble 13 names no channel
        EXPECT_EQ(slot1, "");
        EXPECT_EQ(slot7, "");
        EXPECT_EQ(channel7, "");
        EXPECT_EQ(slope, ">");
        if (c.slot0) {
            slot0 = c.slot0, slot1 = c.slot1, slot7 = c.slot7, channel7 = c.channel7;
            slope = c.slope;
        }
        table.store(t.ctx);
        const std::string row = c.slot0 ? c.slot0 : "unedited";
        EXPECT_EQ(ee[50], c.ee50) << row;
        EXPECT_EQ(ee[393], c.ee393) << row;
        EXPECT_EQ(ee[925], c.ee925) << row;
        EXPECT_EQ(ee[836], c.ee836) << row;
        EXPECT_EQ(ee[838], c.ee838) << row;
        EXPECT_EQ(ee[839], c.ee839) << row;
    }
}

TEST(Platform61Fields, ASlopeShownBelowKeepsItsWordUntilItIsChanged) {
    test::TestContext t;
    FieldBinding slope(slopePlace(834), slopeCodec());
    t.ctx.EeImage[836] = 0x85;
    t.ctx.EeImage[838] = 0x01;
    t.ctx.EeImage[839] = 0x02;
    ASSERT_EQ(slope.show(t.ctx), "<");
    slope.store(t.ctx, "<");
    EXPECT_EQ(t.ctx.EeImage[838] * 256 + t.ctx.EeImage[839], 0x0102);
    slope.store(t.ctx, ">");
    EXPECT_EQ(t.ctx.EeImage[836], 0x05);  // the byte's other bits are not the slope's
    EXPECT_EQ(t.ctx.EeImage[838] * 256 + t.ctx.EeImage[839], 0);
}

}  // namespace
}  // namespace kelvo::p61
