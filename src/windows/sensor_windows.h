#pragma once
// The four sensor windows start-up chooses from, created once per process.

#include <memory>
#include <vector>

#include "windows/sensor_window.h"

namespace kelvo {

// frm5, frm5Chart, frm6, frm61, in this order; hidden until start-up shows one.
std::vector<std::unique_ptr<SensorWindow>> createSensorWindows(Context& ctx, WindowHost& host);

}  // namespace kelvo
