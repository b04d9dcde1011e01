#pragma once
// The application settings platform-6 sensors of the VAV (version 1), "6v3" (version 3)
// and sequential-control (version 4) kinds leave the factory with, written into their
// function and output records by the same panel codecs the window uses: the window shows
// these settings back, not records that no panel could have produced.

#include "virtualsensor/factory_images.h"

namespace kelvo::virtualsensor {

void ApplyFactoryPanel(SensorMemory& memory);

}  // namespace kelvo::virtualsensor
