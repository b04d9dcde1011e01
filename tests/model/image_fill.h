#pragma once
// Filling a test's sensor image by hand, with read flags set so that no read is made.

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

}  // namespace kelvo::test
