#pragma once

#include <cstdint>

#include "link/memory_request.h"

namespace kelvo {

struct Context;

// Sends bytes of the image back to the sensor (selection as for SensorMemRead).
bool SensorMemWrite(Context& ctx, int32_t ListNo, float Address, uint8_t Count, bool Eeprom,
                    bool Commit, bool KeepOpen, bool Unlock, bool Lock, bool WriteAll);
bool SensorMemWrite(Context& ctx, const WriteRequest& request);

}  // namespace kelvo
