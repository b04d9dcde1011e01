#include "settings/platform61_codecs.h"

#include <algorithm>

#include "common/values.h"
#include "model/channels.h"

namespace kelvo::p61 {

namespace {
constexpr uint32_t kSlopeBit = 0x800000;  // bit 7 of the first of the three bytes
constexpr uint32_t kBelowBits = kSlopeBit | 0x3FFF;

// A word as the sensor would take it from a parsed value: held within 0..65535.
uint32_t wordOf(double value) {
    if (!(value > 0)) return 0;  // also not a number
    return static_cast<uint32_t>(std::min(value, 65535.0));
}
}  // namespace

FieldCodec alarmChannelCodec(CaptionOf caption) {
    return pickListCodec(std::move(caption), kChannelCaptions);
}

FieldCodec channelWordCodec(Context& ctx, std::function<int()> channel) {
    return {[&ctx, channel](uint32_t word) {
                return FormatChannelValue(ctx, float(word), float(channel()), false, false);
            },
            [&ctx, channel](const std::string& text) -> std::optional<uint32_t> {
                return wordOf(ParseChannelValue(ctx, text, float(channel()), false));
            }};
}

FieldPlace slopePlace(int rowAddress) {
    return {Memory::Eeprom,
            {{rowAddress + 2, 0x80}, {rowAddress + 4, 0xFF}, {rowAddress + 5, 0xFF}}};
}

FieldCodec slopeCodec() {
    return {[](uint32_t bits) { return (bits & kSlopeBit) ? kSlopeBelow : kSlopeAbove; },
            [](const std::string& shown) -> std::optional<uint32_t> {
                if (shown == kSlopeBelow) return kBelowBits;
                if (shown == kSlopeAbove) return 0;
                return std::nullopt;
            }};
}

std::string StatusShown(uint8_t status) {
    const std::string text = SensorStatusText(status);
    return text.empty() ? kNoAlarmText : text;
}

bool StatusIsError(uint8_t status) {
    return !SensorStatusText(status).empty();
}

bool AlarmRaised(const std::string& value, const std::string& level, Slope slope) {
    const double v = ParseNumber(value);
    const double l = ParseNumber(level);
    return slope == Slope::Above ? v > l : v < l;
}

AlarmOutputs Platform7Alarms(const std::vector<AlarmRow>& rows) {
    AlarmOutputs out;
    for (size_t r = 0; r < rows.size(); ++r) {
        const AlarmRow& row = rows[r];
        if (!row.value) continue;
        const Slope slope = row.slope == kSlopeBelow ? Slope::Below : Slope::Above;
        if (!AlarmRaised(*row.value, row.level, slope)) continue;
        (r % 2 == 0 ? out.pre : out.main) = true;
    }
    return out;
}

}  // namespace kelvo::p61
