#include "model/image_access.h"

#include <cmath>

#include "common/context.h"
#include "common/values.h"
#include "link/sensor_mem_read.h"

namespace kelvo::image {
namespace {

bool inImage(bool eeprom, int address) {
    return address >= 0 && address < (eeprom ? kEeImageSize : kRamImageSize);
}

bool anyClear(const Context& ctx, bool eeprom, int from, int count) {
    for (int a = from; a < from + count; ++a) {
        if (!inImage(eeprom, a)) continue;
        if (!(eeprom ? ctx.EeRead[a] : ctx.RamRead[a])) return true;
    }
    return false;
}

// A read of an address range rewrites AddressMask. The model reads behind its caller's
// back, so it puts the caller's selection back: a settings file saved or sent right after
// a lazy read must still carry the addresses its caller chose.
bool readKeepingSelection(Context& ctx, bool eeprom, int from, int count, bool report) {
    if (!inImage(eeprom, from) || count <= 0) return false;
    const auto selection = ctx.AddressMask;
    // The port is left as it was found: open inside a caller's run of transactions, closed
    // between user actions so that another program may use it.
    const bool ok = SensorMemRead(ctx, 0, static_cast<float>(from), static_cast<uint8_t>(count),
                                  eeprom, ctx.port.isOpen(), 100, report);
    ctx.AddressMask = selection;
    return ok;
}

}  // namespace

bool fresh(Context& ctx, bool eeprom, int from, int count) {
    return readKeepingSelection(ctx, eeprom, from, count, true);
}

bool readList(Context& ctx, int32_t listNo, bool eeprom) {
    const auto selection = ctx.AddressMask;
    const bool ok = SensorMemRead(ctx, listNo, 0, 0, eeprom, ctx.port.isOpen());
    ctx.AddressMask = selection;
    return ok;
}

bool ensure(Context& ctx, bool eeprom, int from, int count) {
    if (!anyClear(ctx, eeprom, from, count)) return true;
    return fresh(ctx, eeprom, from, count);
}

bool ensureQuietly(Context& ctx, bool eeprom, int from, int count) {
    if (!anyClear(ctx, eeprom, from, count)) return true;
    return readKeepingSelection(ctx, eeprom, from, count, false);
}

float byteAt(const Context& ctx, bool eeprom, int address) {
    if (!inImage(eeprom, address)) return 0;
    return eeprom ? ctx.EeImage[address] : ctx.RamImage[address];
}

int bitsAt(const Context& ctx, bool eeprom, int address) {
    return static_cast<int>(ToInteger(byteAt(ctx, eeprom, address)) & 0xFF);
}

float wordAt(const Context& ctx, bool eeprom, int address) {
    return byteAt(ctx, eeprom, address) * 256 + byteAt(ctx, eeprom, address + 1);
}

void storeWord(Context& ctx, bool eeprom, int address, float value) {
    if (!inImage(eeprom, address) || !inImage(eeprom, address + 1)) return;
    if (std::isnan(value)) value = 0;
    const float high = HighByte(value);
    const float low = LowByte(value);
    if (eeprom) {
        ctx.EeImage[address] = high;
        ctx.EeImage[address + 1] = low;
    } else {
        ctx.RamImage[address] = high;
        ctx.RamImage[address + 1] = low;
    }
}

void modifyWord(Context& ctx, bool eeprom, int address, float value) {
    // Read before modifying: a lazy read made after the store would put the sensor's old
    // word back over the new one.
    ensureQuietly(ctx, eeprom, address, 2);
    storeWord(ctx, eeprom, address, value);
}

int channelIndex(float channel) {
    if (!std::isfinite(channel) || channel < 0 || channel > 255) return -1;
    if (channel != std::floor(channel)) return -1;
    return static_cast<int>(channel);
}

}  // namespace kelvo::image
