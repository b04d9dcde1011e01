// Placeholders until the link transactions land; they fail loudly instead of pretending.
#include "common/context.h"
#include "link/sensor_command.h"
#include "link/sensor_link.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"

namespace kelvo {
namespace {
bool notBuilt(Context& ctx) {
    if (ctx.ErrorText.empty()) ctx.ErrorText = "Sensor link not built yet";
    return false;
}
}  // namespace

void SensorLinkInit(Context& ctx, uint8_t SensorId) {
    ctx.SensorAddress = SensorId;
    for (int a = 0; a <= 511; ++a) {
        ctx.EeImage[a] = 0;
        ctx.EeLast[a] = 0;
        ctx.EeRead[a] = false;
        ctx.AddressMask[a] = 0;
    }
    for (int a = 0; a <= 255; ++a) {
        ctx.RamImage[a] = 0;
        ctx.RamLast[a] = 0;
        ctx.RamRead[a] = false;
    }
    ctx.ComBuffer.fill(0);
}
bool CheckPortFree(Context& ctx, float) { return notBuilt(ctx); }
bool SensorMemRead(Context& ctx, int32_t, float, uint8_t, bool, bool, uint8_t, bool&) {
    return notBuilt(ctx);
}
bool SensorMemRead(Context& ctx, int32_t ListNo, float Address, uint8_t Count, bool Eeprom,
                   bool KeepOpen) {
    bool report = true;
    return SensorMemRead(ctx, ListNo, Address, Count, Eeprom, KeepOpen, 100, report);
}
bool SensorMemWrite(Context& ctx, int32_t, float, uint8_t, bool, bool, bool, bool, bool, bool) {
    return notBuilt(ctx);
}
bool SensorCommand(Context& ctx, int32_t, bool) { return notBuilt(ctx); }
}  // namespace kelvo
