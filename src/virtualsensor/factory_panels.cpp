#include "virtualsensor/factory_panels.h"

#include <algorithm>

#include "common/context.h"
#include "common/no_link.h"
#include "settings/function_limits.h"
#include "settings/platform6_panels.h"

namespace kelvo::virtualsensor {
namespace {

// The jumper settings of a 0-2000 ppm unit: output 1 over the range, the relay at 1000 ppm.
constexpr SixV3Values kFactory6v3{0, 1000, 2000, 800, 1200, 1000, 50, 1000, 900};

}  // namespace

void ApplyFactoryPanel(SensorMemory& memory) {
    if (memory.platform != kPlatform6 ||
        (memory.version != 1 && memory.version != 3 && memory.version != 4))
        return;
    NoPort port;
    StillClock clock;
    NoPump pump;
    NoPrompter prompter;
    Context ctx(port, clock, pump, prompter);
    std::copy(memory.eeprom.begin(), memory.eeprom.end(), ctx.EeImage.begin());
    std::copy(memory.ram.begin(), memory.ram.end(), ctx.RamImage.begin());
    ctx.EeRead.fill(true);
    ctx.RamRead.fill(true);
    ctx.EeLast = ctx.EeImage;
    ctx.RamLast = ctx.RamImage;
    if (memory.version == 1) {
        p6::GetInitSetVAV(ctx);
        p6::VavTexts vav = p6::showVav(ctx);
        vav[p6::kUseMax] = "100";
        vav[p6::kUseMin] = "20";
        vav[p6::kSetPTemp] = "21";
        vav[p6::kSetPCO2] = "800";
        p6::storeVav(ctx, vav);
    } else if (memory.version == 4) {
        p6::SequentialTexts seq = p6::showSequential(ctx);
        seq[p6::kSeqSetPCO2] = "800";
        seq[p6::kSeqSetPTemp] = "21";
        seq[p6::kSeqRangeVentTemp] = "2";
        seq[p6::kSeqRangeCoolTemp] = "3";
        seq[p6::kSeqRangeVentCO2] = "400";
        seq[p6::kSeqMinVent] = "20";
        p6::storeSequential(ctx, seq);
    } else if (const auto limits = limitsOf6v3(kFactory6v3)) {
        // Every function of the jumper unit works on CO2 (channel 11) or on function 1's
        // share of it.
        constexpr int kFunctionRecords = 106, kRecordBytes = 5, kCO2ChannelByte = 9;
        for (int i = 0; i < 6; ++i)
            ctx.EeImage[kFunctionRecords + kRecordBytes * i] = kCO2ChannelByte;
        p6::storeFunctionLimits(ctx, *limits);
    }
    for (size_t a = 0; a < memory.eeprom.size(); ++a)
        memory.eeprom[a] = static_cast<uint8_t>(ctx.EeImage[a]);
}

}  // namespace kelvo::virtualsensor
