#include "model/identification.h"

#include "common/context.h"
#include "common/values.h"
#include "link/sensor_mem_read.h"

namespace kelvo {

uint8_t GetIdByte(Context& ctx) {
    if (!ctx.RamRead[kRamIdByte]) {
        // The identification byte and the platform-5 serial number come in one block.
        if (!SensorMemRead(ctx, 0, kRamIdByte, 3, false, true)) return 0;
    }
    return static_cast<uint8_t>(ToInteger(ctx.RamImage[kRamIdByte]) & 0xFF);
}

uint8_t PlatformOfIdByte(uint8_t idByte) {
    const int family = (idByte >> 5) & 3;
    const int subFamily = (idByte >> 3) & 3;
    switch (family) {
        case 3: return 5;
        case 2:
            if (subFamily == 3) return 6;
            if (subFamily == 2) return 61;
            return 0;
        case 1: return 7;
        default: return 0;
    }
}

uint8_t GetPlatform(Context& ctx) {
    const uint8_t platform = PlatformOfIdByte(GetIdByte(ctx));
    if (platform == 0 && ctx.ErrorText.empty()) ctx.ErrorText = "Unknown product";
    return platform;
}

uint8_t GetProtocol(Context& ctx) {
    switch (GetPlatform(ctx)) {
        case 5: return ((GetIdByte(ctx) >> 3) & 3) != 0 ? 1 : 2;
        case 6: return 1;
        case 61:
        case 7: return 2;
        default:
            if (ctx.ErrorText.empty()) ctx.ErrorText = "Unkown protokol";
            return 0;
    }
}

}  // namespace kelvo
