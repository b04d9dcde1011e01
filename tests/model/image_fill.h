#pragma once
// Filling a test's sensor image by hand, with read flags set so that no read is made.

#include <cmath>
#include <cstdint>

#include "common/context.h"
#include "virtualsensor/factory_images.h"

namespace kelvo::test {

inline void setRam(Context& ctx, int address, float value) {
    ctx.RamImage[address] = value;
    ctx.RamRead[address] = true;
}

inline void setEe(Context& ctx, int address, float value) {
    ctx.EeImage[address] = value;
    ctx.EeRead[address] = true;
}

inline void setRamWord(Context& ctx, int address, int value) {
    setRam(ctx, address, static_cast<float>((value >> 8) & 0xFF));
    setRam(ctx, address + 1, static_cast<float>(value & 0xFF));
}

inline void setEeWord(Context& ctx, int address, int value) {
    setEe(ctx, address, static_cast<float>((value >> 8) & 0xFF));
    setEe(ctx, address + 1, static_cast<float>(value & 0xFF));
}

// Marks every byte as read, so that no routine goes to the sensor.
inline void markAllRead(Context& ctx) {
    ctx.EeRead.fill(true);
    ctx.RamRead.fill(true);
}

// The whole memory of a (virtual) sensor, as a full read would leave the image.
inline void loadMemory(Context& ctx, const virtualsensor::SensorMemory& memory) {
    for (size_t a = 0; a < memory.eeprom.size(); ++a) setEe(ctx, int(a), memory.eeprom[a]);
    for (size_t a = 0; a < memory.ram.size(); ++a) setRam(ctx, int(a), memory.ram[a]);
    markAllRead(ctx);
}

// A read platform-6 sensor of version 0.
inline void platform6(Context& ctx, uint8_t id = 222) {
    markAllRead(ctx);
    setRam(ctx, kRamIdByte, id);
    setEe(ctx, 165, 1);
    setEe(ctx, 173, 6);
}

// Nearest, halves to the even neighbour: the rounding the conversions are checked against.
inline double even(double v) {
    const double below = std::floor(v), rest = v - below;
    return rest > 0.5 || (rest == 0.5 && std::fmod(below, 2) != 0) ? below + 1 : below;
}

}  // namespace kelvo::test
