#pragma once
// What the identification byte (RAM 65) says of a sensor by its bits alone: pure decoding,
// shared by the link (which must know the memory layout and the command dialect before it
// can talk) and the sensor model.

#include <cstdint>

namespace kelvo {

constexpr int kRamIdByte = 65;

// The platforms, as the identification byte names them.
enum Platform : uint8_t {
    kPlatformUnknown = 0,
    kPlatform5 = 5,
    kPlatform6 = 6,
    kPlatform61 = 61,
    kPlatform7 = 7,
};

// 5, 6, 61, 7, or 0 for a byte no platform uses.
inline uint8_t PlatformOfIdByte(uint8_t idByte) {
    const int family = (idByte >> 5) & 3;
    const int subFamily = (idByte >> 3) & 3;
    switch (family) {
        case 3:
            return kPlatform5;
        case 2:
            if (subFamily == 3) return kPlatform6;
            if (subFamily == 2) return kPlatform61;
            return kPlatformUnknown;
        case 1:
            return kPlatform7;
        default:
            return kPlatformUnknown;
    }
}

// The command dialect, 1 or 2; 0 for an unknown platform.
inline uint8_t ProtocolOfIdByte(uint8_t idByte) {
    switch (PlatformOfIdByte(idByte)) {
        case kPlatform5:
            return ((idByte >> 3) & 3) != 0 ? 1 : 2;
        case kPlatform6:
            return 1;
        case kPlatform61:
        case kPlatform7:
            return 2;
        default:
            return 0;
    }
}

}  // namespace kelvo
