#pragma once

#include <cstdint>

namespace kelvo {

struct Context;

// Sends bytes of the image back to the sensor (selection as for SensorMemRead).
bool SensorMemWrite(Context& ctx, int32_t ListNo, float Address, uint8_t Count, bool Eeprom,
                    bool Commit, bool KeepOpen, bool Unlock, bool Lock, bool WriteAll);

}  // namespace kelvo
