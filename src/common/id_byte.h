#pragma once
// What the identification byte (RAM 65) says of a sensor by its bits alone: pure decoding,
// shared by the link (which must know the memory layout and the command dialect before it
// can talk) and the sensor model.

#include <cstdint>

namespace kelvo {

constexpr int kRamIdByte = 65;

// 5, 6, 61, 7, or 0 for a byte no platform uses.
inline uint8_t PlatformOfIdByte(uint8_t idByte) {
    const int family = (idByte >> 5) & 3;
    const int subFamily = (idByte >> 3) & 3;
    switch (family) {
        case 3:
            return 5;
        case 2:
            if (subFamily == 3) return 6;
            if (subFamily == 2) return 61;
            return 0;
        case 1:
            return 7;
        default:
            return 0;
    }
}

// The command dialect, 1 or 2; 0 for an unknown platform.
inline uint8_t ProtocolOfIdByte(uint8_t idByte) {
    switch (PlatformOfIdByte(idByte)) {
        case 5:
            return ((idByte >> 3) & 3) != 0 ? 1 : 2;
        case 6:
            return 1;
        case 61:
        case 7:
            return 2;
        default:
            return 0;
    }
}

}  // namespace kelvo
