#pragma once

#include <cstdint>

#include "link/memory_request.h"

namespace kelvo {

struct Context;

// Copies a selection of sensor memory into the image. The selection is the range
// Address..Address+Count-1 when Count > 0, else list ListNo when not 0, else AddressMask.
bool SensorMemRead(Context& ctx, int32_t ListNo, float Address, uint8_t Count, bool Eeprom,
                   bool KeepOpen, uint8_t MaxTries, bool& ReportError);

// The usual call: errors reported, 100 attempts a block.
bool SensorMemRead(Context& ctx, int32_t ListNo, float Address, uint8_t Count, bool Eeprom,
                   bool KeepOpen);
bool SensorMemRead(Context& ctx, const ReadRequest& request);

}  // namespace kelvo
