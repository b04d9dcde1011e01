#pragma once
// Calibration procedures: new correction words from what the sensor measures now and what
// the technician says the true value is, stored in the image and written to the sensor.

#include <string>

namespace kelvo {

struct Context;

constexpr float kPlatformChannel = 99.0f;  // "the platform's own CO2 / temperature channel"

// The channel a window's CO2 span answer is read for: 1 on platform 5, 11 on platform 6,
// 5 on platforms 61 and 7.
float PlatformCO2Channel(Context& ctx);
// The channel a window's temperature answer is read for: 0 on platform 5, 2 (3 on product
// 223) on platform 6, 4 on platforms 61 and 7.
float PlatformTempChannel(Context& ctx);

enum CO2CalType { kCalZero = 0, kCalFreshAir = 1, kCalOther = 2 };

bool CalCO2SinglePoint(Context& ctx, float Channel, bool KeepOpen, int CalType,
                       const std::string& Concentration);
bool CalCO2Span(Context& ctx, float Channel, const std::string& SpanGas, bool KeepOpen);
bool CalCO2SpanPlatform7(Context& ctx, float SpanGas);
bool CalTemp(Context& ctx, float TrueTemp, float Channel, bool KeepOpen);
bool CalO2Zero(Context& ctx);
bool CalO2Span(Context& ctx, float O2Reference);

}  // namespace kelvo
