#pragma once
// The application panels of platform-6 sensors: the VAV panel, the sequential-control
// panel and the "6v3" panel fill the sensor's function and output records from a few
// application settings instead of raw function parameters. Each panel is shown from the
// image and stored into it as one group of texts, in the order of its enum.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "settings/function_limits.h"

namespace kelvo {

struct Context;

namespace p6 {

// Product codes whose records the VAV and standard panels treat specially.
constexpr uint8_t kProductVavOut1 = 222;  // the VAV output is Out 1
constexpr uint8_t kProductVavOut2 = 223;  // the VAV output is Out 2, and the labels swap

// The VAV panel (version code 1).
enum VavField {
    kUseMax,
    kUseMin,
    kSetPTemp,
    kSetPCO2,
    kIntTimeVav,
    kIntTimeOther,
    kSlopePositive,  // "1" or "0"
    kVavFields
};
using VavTexts = std::array<std::string, kVavFields>;

// The smallest gap between the VAV output's maximum and minimum, in percent: the gain word
// is 20000 / gap + 5000 and must leave the flag bit of its high byte free.
constexpr double kVavSmallestGap = 1;

struct VavRange {
    double max = 100;
    double min = 0;
};
// Max and Min held within 0..100 and at least the smallest gap apart: Min gives way to Max.
VavRange limitVavRange(double max, double min);
// The gain word of function 3's B parameter for a range, without its flag bit.
uint16_t vavGainWord(const VavRange& range);
// The VAV output's base-line byte and where it lives, for the product code.
int vavBaseLineAddress(uint8_t product);
// A step button: the value moved by one step of the base line as the field shows it
// (down: until the shown value changes), held to 0..100.
double vavStep(double value, bool up);

// Writes the defaults of the VAV layout for the sensor's product code (222 or 223; any
// other code writes nothing).
void GetInitSetVAV(Context& ctx);
VavTexts showVav(Context& ctx);
void storeVav(Context& ctx, const VavTexts& texts);

// The sequential-control panel (version code 4).
enum SequentialField {
    kSeqSetPCO2,
    kSeqSetPTemp,
    kSeqRangeVentTemp,
    kSeqRangeCoolTemp,
    kSeqRangeVentCO2,
    kSeqMinVent,
    kSequentialFields
};
using SequentialTexts = std::array<std::string, kSequentialFields>;
SequentialTexts showSequential(Context& ctx);
void storeSequential(Context& ctx, const SequentialTexts& texts);

// The "6v3" panel (version code 3): the function limits as the image holds them, and the
// limits stored into the function records and the relay offset.
FunctionLimits loadFunctionLimits(Context& ctx);
void storeFunctionLimits(Context& ctx, const FunctionLimits& limits);
// Stores the nine settings, edited from those shown, when the sensor keeps them: the
// functions they stand for, as the records hold them, give the same nine back. A setting
// the functions could not hold before the edit either may come back otherwise; why then
// names it. Returns the limits as a read will find them; nothing, with the image untouched
// and why naming what would change, when the sensor cannot keep the edit.
std::optional<FunctionLimits> storeSixV3(Context& ctx, const SixV3Values& values,
                                         const SixV3Values& shown, std::string& why);

}  // namespace p6
}  // namespace kelvo
