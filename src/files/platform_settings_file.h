#pragma once
// A settings file the way each platform's window writes it.

#include <string>

namespace kelvo {

struct Context;

// Writes the image's settings to Path with the blocks the sensor's window writes (its
// platform profile says which): platform 5 its RAM block; platform 6 the mask of its
// version's settings list, then the EEPROM; platform 61 the EEPROM, then its mask.
// Nothing is read from the sensor here.
bool SavePlatformSettings(Context& ctx, const std::string& Path);

}  // namespace kelvo
