#pragma once
// The serial line shared by every exchange: link initialisation and the start-up check
// that nobody else is talking on the line.

#include <cstdint>

namespace kelvo {

struct Context;

// Sets SensorAddress and clears the sensor image, AddressMask and ComBuffer.
void SensorLinkInit(Context& ctx, uint8_t SensorId);

// True when the port opens and stays silent for Seconds; the port is closed afterwards.
bool CheckPortFree(Context& ctx, float Seconds);

}  // namespace kelvo
