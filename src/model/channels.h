#pragma once
// Channel names, presence, units, and the conversion between raw words and the
// numbers people see and type.

#include <cstdint>
#include <string>

namespace kelvo {

struct Context;

std::string ChannelName(Context& ctx, float Channel, bool Relays);
bool ChannelPresent(Context& ctx, float Channel, bool NoDtemp, bool MeasOnly);
std::string GetUnitText(Context& ctx, float Channel);
float GetDecimals(Context& ctx, float Channel);
uint8_t GetScale(Context& ctx, float Channel);
uint8_t GetOffsetFlag(Context& ctx, float Channel);
std::string FormatChannelValue(Context& ctx, float Value, float Channel, bool NoBias,
                               bool KeepFraction);
float ParseChannelValue(Context& ctx, const std::string& Text, float Channel, bool NoBias);
// Platform-61 status byte (RAM 67) as text; empty when no shown bit is set ("OK").
std::string SensorStatusText(uint8_t status);

}  // namespace kelvo
