#pragma once
// Who the sensor is (platform, protocol, version, serial number) and where its
// calibration words live. Every routine reads a missing image byte from the sensor first.

#include <cstdint>
#include <string>

#include "common/id_byte.h"

namespace kelvo {

struct Context;

uint8_t GetIdByte(Context& ctx);    // 0 when its read fails
uint8_t GetPlatform(Context& ctx);  // 5, 6, 61, 7, or 0 with "Unknown product"
uint8_t GetProtocol(Context& ctx);
// Says the sensor is of no type the program takes; identification's own "Unknown product"
// gives way to that message. Returns false.
bool FailUnknownSensor(Context& ctx);  // 1, 2, or 0 with "Unkown protokol"

float GetVersion(Context& ctx);
float GetSerialNumber(Context& ctx);
std::string SerialText(Context& ctx);

uint8_t GetCO2Channel(Context& ctx, int n);
float GetCO2Factor(Context& ctx);
float GetChannelValue(Context& ctx, float Channel, bool Mode);

float GetRawReading(Context& ctx, float Channel);
float GetZeroWord(Context& ctx, float Channel);
// The setters store the word in the image and, when Write is set, send it to the sensor;
// the result is the write's (true when nothing was to be written).
bool SetZeroWord(Context& ctx, float Channel, bool Write, bool KeepOpen, float Value);
float GetSpanWord(Context& ctx, float Channel);
bool SetSpanWord(Context& ctx, float Channel, bool Write, bool KeepOpen, float Value);
float GetCalTemp(Context& ctx, float Channel);
float GetSensorTemp(Context& ctx);
uint8_t GetChannelKind(Context& ctx, float Channel);
uint8_t GetChannelTable(Context& ctx, float Channel);

}  // namespace kelvo
