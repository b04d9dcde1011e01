#pragma once
// What a virtual sensor holds: its two memories, as a factory would have left them, and
// the way its measured values live.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/id_byte.h"

namespace kelvo::virtualsensor {

struct SensorMemory {
    int platform = 0;  // 5, 6, 61 or 7
    int version = 0;
    std::vector<uint8_t> eeprom;  // 512 bytes (1024 on platform 7)
    std::array<uint8_t, 256> ram{};
    // What the sensor sits in. Without a value it is room air that drifts a little;
    // a test or a demo puts it into a calibration gas by setting one.
    std::optional<double> gasPpm;
    std::optional<double> airTemperature;  // degrees Celsius
    std::optional<double> oxygenPercent;
    // RAM bytes the sensor's physics wrote last. A live byte that no longer holds what
    // the physics wrote was set from outside (a test pinning a detector reading): it is
    // kept, and what depends on it is derived from it.
    std::array<bool, 256> liveWritten{};
    std::array<uint8_t, 256> liveValue{};
};

// The factory image of a platform and version; nullopt for one we do not make.
std::optional<SensorMemory> FactoryImage(int platform, int version);

// Moves the measured values a little, like a real sensor, and derives them from the
// calibration words and tables so that a calibration changes what is reported.
// Called before the sensor answers a read.
void UpdateLiveValues(SensorMemory& memory, int64_t nowMs);

}  // namespace kelvo::virtualsensor
