#pragma once
// The sensor windows start-up chooses from, by window kind, created once per process.

#include <map>
#include <memory>

#include "model/platform_profile.h"
#include "windows/sensor_window.h"

namespace kelvo {

using SensorWindowSet = std::map<WindowKind, std::unique_ptr<SensorWindow>>;

// One window of every kind the registry knows, hidden until start-up shows one.
SensorWindowSet createSensorWindows(Context& ctx, WindowHost& host);

}  // namespace kelvo
