#pragma once
// A settings file the way each platform's window writes it.

#include <cstdint>
#include <string>

namespace kelvo {

struct Context;

// Whether the settings-file container has blocks for the platform's memory (5, 6, 61).
bool HasSettingsFile(uint8_t platform);

// Writes the image's settings to Path with the blocks the platform's window writes:
// platform 5 its RAM block; platform 6 the mask of its version's settings list, then the
// EEPROM; platform 61 the EEPROM, then its mask. Nothing is read from the sensor here.
bool SavePlatformSettings(Context& ctx, const std::string& Path);

}  // namespace kelvo
