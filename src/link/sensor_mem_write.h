#pragma once

#include <cstdint>

#include "link/memory_request.h"

namespace kelvo {

struct Context;

// Sends bytes of the image back to the sensor (selection as for SensorMemRead).
bool SensorMemWrite(Context& ctx, int32_t ListNo, float Address, uint8_t Count, bool Eeprom,
                    bool Commit, bool KeepOpen, bool Unlock, bool Lock, bool WriteAll);
bool SensorMemWrite(Context& ctx, const WriteRequest& request);

// Best effort after a failure: a failed write must not leave the EEPROM open to stray
// frames. The first message stays (or "Can't save to sensor" when there was none); a
// second Cancel during the lock still ends it. True when the sensor took the lock.
bool RelockAfterFailure(Context& ctx);

}  // namespace kelvo
