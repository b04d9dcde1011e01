#pragma once
// What a platform-5 production definition file says about the sensor's channels.

#include <array>
#include <cstdint>
#include <string>

namespace kelvo {

struct ProductDefinition {
    uint8_t loadedIdByte = 0;  // 0 = nothing loaded
    std::array<std::string, 4> channelName;
    std::array<int32_t, 4> channelEnable{};  // channel present when > 0
    std::array<int32_t, 4> unitCode{};       // default unit code
    uint8_t channelFlags = 0;                // collected but read by nothing else
    uint8_t secondFlags = 0;
    std::array<std::string, 3> texts;
};

}  // namespace kelvo
