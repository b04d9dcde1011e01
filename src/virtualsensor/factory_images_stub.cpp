// Placeholder images until the realistic factory images land: only the identification
// byte and the version bytes, so that a virtual sensor can be identified.
#include "virtualsensor/factory_images.h"

namespace kelvo::virtualsensor {

std::optional<SensorMemory> FactoryImage(int platform, int version) {
    SensorMemory memory;
    memory.platform = platform;
    memory.version = version;
    memory.eeprom.assign(platform == 7 ? 1024 : 512, 0);
    switch (platform) {
        case 5:
            memory.ram[65] = 0xE7;  // 231, protocol 2
            memory.ram[226] = static_cast<uint8_t>(version);
            break;
        case 6:
            memory.ram[65] = 0xDE;  // 222
            memory.eeprom[164] = 0xDE;
            memory.eeprom[165] = 1;
            memory.eeprom[173] = static_cast<uint8_t>(version == 0 ? 6 : version);
            break;
        case 61:
            memory.ram[65] = 0xD6;  // 214
            memory.eeprom[164] = 0xD6;
            memory.eeprom[165] = 1;
            memory.eeprom[173] = static_cast<uint8_t>(version == 0 ? 6 : version);
            break;
        case 7:
            memory.ram[65] = 0x20;
            memory.eeprom[1023] = static_cast<uint8_t>(version);
            break;
        default:
            return std::nullopt;
    }
    return memory;
}

void UpdateLiveValues(SensorMemory&, int64_t) {}

}  // namespace kelvo::virtualsensor
