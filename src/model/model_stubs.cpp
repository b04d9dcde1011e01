// Placeholders until the sensor model lands: neutral results only. Delete entries as the
// real routines arrive.
#include <string>

#include "common/context.h"
#include "model/channels.h"
#include "model/identification.h"
#include "model/tables.h"

namespace kelvo {
float GetVersion(Context&) { return 0; }
float GetSerialNumber(Context&) { return 0; }
std::string SerialText(Context&) { return {}; }
uint8_t GetCO2Channel(Context&, int) { return 0; }
float GetCO2Factor(Context&) { return 0; }
float GetChannelValue(Context&, float, bool) { return 0; }
float GetRawReading(Context&, float) { return 0; }
float GetZeroWord(Context&, float) { return 0; }
bool SetZeroWord(Context&, float, bool, bool, float) { return false; }
float GetSpanWord(Context&, float) { return 0; }
bool SetSpanWord(Context&, float, bool, bool, float) { return false; }
float GetCalTemp(Context&, float) { return 0; }
float GetSensorTemp(Context&) { return 0; }
uint8_t GetChannelKind(Context&, float) { return 0; }
uint8_t GetChannelTable(Context&, float) { return 0; }

std::string ChannelName(Context&, float, bool) { return {}; }
bool ChannelPresent(Context&, float, bool, bool) { return false; }
std::string GetUnitText(Context&, float) { return {}; }
float GetDecimals(Context&, float) { return 0; }
uint8_t GetScale(Context&, float) { return 0; }
uint8_t GetOffsetFlag(Context&, float) { return 0; }
std::string FormatChannelValue(Context&, float, float, bool, bool) { return {}; }
float ParseChannelValue(Context&, const std::string&, float, bool) { return 0; }
std::string SensorStatusText(uint8_t) { return {}; }

float GetTableEntry(Context&, int, int) { return 0; }
void SetTableEntry(Context&, int, int, float) {}
float TableToRaw(Context&, int, double) { return 0; }
float TableToLinear(Context&, int, double) { return 0; }
bool BuildTable(Context&, int, float, float, float, float, float, float, float) { return false; }
float GetZeroReference(Context&, int) { return 0; }
void SetZeroReference(Context&, int, float) {}
float GetSpanReference(Context&, int, bool, bool) { return 0; }
void SetSpanReference(Context&, int, bool, float) {}
}  // namespace kelvo
