#pragma once
// Names and readable values of the settings a technician knows, where a tool outside the
// windows needs them (the settings diff). Platform 5 only, whose settings sit at fixed RAM
// addresses; elsewhere a setting is known by its address.

#include <cstdint>
#include <string>

namespace kelvo {

struct NamedSetting {
    int address = 0;  // first byte
    int width = 1;    // 1 or 2 bytes, high byte first
    std::string name;
    std::string (*show)(uint32_t value) = nullptr;  // nullptr: the number itself
};

// The platform-5 RAM setting that holds the address; nullptr when none is named.
const NamedSetting* FindPlatform5Setting(int ramAddress);

}  // namespace kelvo
