#pragma once

#include <cstdint>

namespace kelvo {

struct Context;

enum SensorCommandCode : int32_t {
    kSaveToRam = 0,
    kSaveToEeprom = 1,
    kLockEeprom = 2,
    kUnlockEeprom = 3,
    kSaveIdToEeprom = 4,
    kTwaReset = 5,
};

bool SensorCommand(Context& ctx, int32_t Command, bool KeepOpen);

}  // namespace kelvo
