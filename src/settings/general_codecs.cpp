#include "settings/general_codecs.h"

#include <algorithm>

#include "common/context.h"
#include "common/values.h"
#include "model/channels.h"
#include "settings/platform5_codecs.h"

namespace kelvo {

namespace {
constexpr int kNibbleBits = 15;
constexpr int kUnitCodeFactor = 16;  // the unit code sits in the top nibble
constexpr int kStepChannelShift = 5;
constexpr uint32_t kStepChannelBits = 7;
constexpr uint8_t kStepBits = 0x1F;
constexpr int kPositionsPerByte = 2;
}  // namespace

FieldPlace placeOf(const MemorySpan& span, uint8_t mask) {
    FieldPlace place{span.eeprom ? Memory::Eeprom : Memory::Ram, {}};
    for (int a = span.address; a < span.address + span.count; ++a) place.bytes.push_back({a, mask});
    return place;
}

FieldCodec networkIdCodec() {
    return {[](uint32_t id) { return std::to_string(id); },
            [](const std::string& text) -> std::optional<uint32_t> {
                const double id = std::clamp(ParseNumber(text), 0.0, double(kLastNetworkId));
                return static_cast<uint32_t>(ToInteger(id));
            },
            [](uint32_t id) { return id <= kLastNetworkId; }};
}

FieldCodec displayNibbleCodec(CaptionOf caption, int shift, int channels) {
    return {[caption, shift](uint32_t bits) {
                return caption(static_cast<int>(bits >> shift) & kNibbleBits);
            },
            [caption, shift, channels](const std::string& shown) -> std::optional<uint32_t> {
                return pickListCodec(caption, channels).store(shown).value_or(0) << shift;
            }};
}

FieldCodec displayByteCodec(CaptionOf caption, int channels) {
    return {[caption](uint32_t n) { return caption(static_cast<int>(n)); },
            [caption, channels](const std::string& shown) {
                return pickListCodec(caption, channels).store(shown);
            }};
}

FieldPlace displayPositionPlace(const DisplaySettings& display, int position) {
    const MemorySpan& bytes = display.sequencePlace;
    if (display.sequence == DisplaySettings::Sequence::Bytes)
        return placeOf({bytes.eeprom, 0, bytes.address + position, 1});
    const int shift = position % kPositionsPerByte ? 4 : 0;
    return placeOf({bytes.eeprom, 0, bytes.address + position / kPositionsPerByte, 1},
                   uint8_t(kNibbleBits << shift));
}

FieldCodec displayPositionCodec(const DisplaySettings& display, int position, CaptionOf caption) {
    if (display.sequence == DisplaySettings::Sequence::Bytes)
        return displayByteCodec(std::move(caption), display.sequenceChannels);
    const int shift = position % kPositionsPerByte ? 4 : 0;
    return displayNibbleCodec(std::move(caption), shift, display.sequenceChannels);
}

FieldPlace shiftChannelPlace(const DisplaySettings& display) {
    FieldPlace place = placeOf(display.shiftChannel);
    place.bytes.push_back({display.shiftStep.address, uint8_t(~kStepBits)});
    return place;
}

FieldPlace shiftStepPlace(const DisplaySettings& display) {
    return placeOf(display.shiftStep, kStepBits);
}

FieldCodec shiftChannelCodec(const Context& ctx, CaptionOf caption, int channels) {
    return {[caption](uint32_t bits) { return caption(static_cast<int>(bits >> 8) & kNibbleBits); },
            [&ctx, pick = pickListCodec(caption, channels).store](
                const std::string& shown) -> std::optional<uint32_t> {
                const std::optional<uint32_t> c = pick(shown);
                if (!c) return std::nullopt;
                const auto& units = ctx.Definition.unitCode;
                const int unitCode = *c < units.size() ? int(units[*c]) : 0;
                const int unitByte = std::clamp(unitCode * kUnitCodeFactor + int(*c), 0, 255);
                return uint32_t(unitByte) << 8 | (*c & kStepChannelBits) << kStepChannelShift;
            }};
}

FieldCodec shiftAmountCodec(Context& ctx, std::function<int()> channel) {
    return {[&ctx, channel](uint32_t step) {
                const float amount = float(p5::shiftAmount(uint8_t(step)));
                return FormatChannelValue(ctx, amount, float(channel()), true, false);
            },
            [&ctx, channel](const std::string& text) -> std::optional<uint32_t> {
                const int c = channel();
                return p5::shiftByte(c, ParseChannelValue(ctx, text, float(c), true));
            }};
}

}  // namespace kelvo
