#pragma once
// The four sensor windows start-up chooses from, created once per process.

#include <array>

#include "windows/sensor_window.h"

namespace kelvo {

// frm5, frm5Chart, frm6, frm61, in this order; hidden, parented to nothing (the caller owns
// them for the life of the process).
std::array<SensorWindow*, 4> createSensorWindows(Context& ctx, WindowHost& host);

}  // namespace kelvo
