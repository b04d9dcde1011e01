#pragma once
// How the platform-61 and platform-7 settings read as the texts their window shows, and the
// alarm rules the window applies to what it shows. Qt-free: the window binds its controls
// through these, tests use them without widgets.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/field_binding.h"
#include "settings/general_codecs.h"

namespace kelvo {

struct Context;

namespace p61 {

// The captions a channel pick list can offer: "CH0" .. "CH12".
constexpr int kChannelCaptions = 13;

// An alarm row's channel in the low nibble of its byte; an unknown caption keeps it.
FieldCodec alarmChannelCodec(CaptionOf caption);

// A channel value word (an alarm level): shown and typed in the channel's unit. channel
// says which channel the word belongs to at the moment it is shown or stored.
FieldCodec channelWordCodec(Context& ctx, std::function<int()> channel);

// Platform-7 alarm slope: bit 7 of the row's third byte, with the word two bytes on. "<"
// (alarm below the level) sets the bit and the word 0x3FFF, ">" clears all three.
inline const std::string kSlopeAbove = ">";
inline const std::string kSlopeBelow = "<";
FieldPlace slopePlace(int rowAddress);
FieldCodec slopeCodec();

// What the status field shows for the status byte: "OK", or the texts of its set bits.
std::string StatusShown(uint8_t status);
bool StatusIsError(uint8_t status);

// An alarm goes off above its level, or below it (an O2 alarm, a "<" slope); a value equal
// to the level raises none. Both are the texts the window shows.
enum class Slope { Above, Below };
bool AlarmRaised(const std::string& value, const std::string& level, Slope slope);
inline const std::string kAlarmText = "ALARM";
inline const std::string kNoAlarmText = "OK";

// A platform-7 alarm row as the window shows it; no value when its channel is not shown.
struct AlarmRow {
    std::optional<std::string> value;
    std::string level;
    std::string slope;
};
// The rows come in pre/main pairs per gas, like the platform-61 panel: the even rows drive
// the pre alarm (open-collector output 3), the odd rows the main alarm (output 4).
struct AlarmOutputs {
    bool pre = false;
    bool main = false;
};
AlarmOutputs Platform7Alarms(const std::vector<AlarmRow>& rows);

}  // namespace p61
}  // namespace kelvo
