#include "model/identification.h"

#include <string>

#include "common/context.h"
#include "common/values.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"
#include "model/image_access.h"

namespace kelvo {

uint8_t GetIdByte(Context& ctx) {
    if (!ctx.RamRead[kRamIdByte]) {
        // The identification byte and the platform-5 serial number come in one block.
        if (!image::fresh(ctx, false, kRamIdByte, 3)) return 0;
    }
    return static_cast<uint8_t>(ToInteger(ctx.RamImage[kRamIdByte]) & 0xFF);
}

uint8_t GetPlatform(Context& ctx) {
    const uint8_t platform = PlatformOfIdByte(GetIdByte(ctx));
    if (platform == kPlatformUnknown) failWith(ctx, "Unknown product");
    return platform;
}

bool FailUnknownSensor(Context& ctx) {
    if (ctx.ErrorText == "Unknown product") ctx.ErrorText.clear();
    return failWith(ctx, kUnknownSensorMessage);
}

uint8_t GetProtocol(Context& ctx) {
    const uint8_t protocol = ProtocolOfIdByte(GetIdByte(ctx));
    if (protocol == 0) {
        GetPlatform(ctx);  // an unknown product says so first
        failWith(ctx, "Unkown protokol");
    }
    return protocol;
}

}  // namespace kelvo

namespace kelvo {
namespace {

constexpr bool kEeprom = true;
constexpr bool kRam = false;

// Where a calibration word lives: memory and address; address -1 = the channel has none.
struct WordPlace {
    bool eeprom = false;
    int address = -1;
};

WordPlace zeroWordPlace(Context& ctx, int channel) {
    switch (GetPlatform(ctx)) {
        case kPlatform5:
            if (channel >= 0 && channel <= 4) return {kRam, 128 + 2 * channel};
            break;
        case kPlatform6:
            if (channel == 11) return {kEeprom, 46};
            if (channel == 12) return {kEeprom, 48};
            break;
        case kPlatform61:
            if (channel == 5) return {kEeprom, 46};
            break;
        default:
            break;
    }
    return {};
}

WordPlace spanWordPlace(Context& ctx, int channel) {
    if (GetPlatform(ctx) == kPlatform5 && channel >= 0 && channel <= 4)
        return {kRam, 136 + 2 * channel};
    return {};
}

float getWord(Context& ctx, WordPlace place) {
    if (place.address < 0) return 0;
    if (!image::ensure(ctx, place.eeprom, place.address, 2)) return 0;
    return image::wordAt(ctx, place.eeprom, place.address);
}

bool setWord(Context& ctx, WordPlace place, float channel, bool write, bool keepOpen, float value) {
    if (place.address < 0) {
        return failWith(ctx, "Unknown channel '" + NumberText(channel) + "'.");
    }
    image::modifyWord(ctx, place.eeprom, place.address, value);
    if (!write) return true;
    return SensorMemWrite(ctx, {.span = {place.eeprom, 0, place.address, 2},
                                .commit = true,
                                .keepOpen = keepOpen,
                                .unlock = true,
                                .lock = true,
                                .writeAll = true});
}

float versionOf6And61(Context& ctx) {
    if (!image::ensure(ctx, kEeprom, 172, 2)) return 0;
    if (!image::ensure(ctx, kEeprom, 90, 2)) return 0;
    if (!image::ensure(ctx, kEeprom, 164, 2)) return 0;
    const int stored = image::bitsAt(ctx, kEeprom, 173);
    if ((image::bitsAt(ctx, kEeprom, 165) & 1) == 0 && stored == 0) return 4;
    if (GetIdByte(ctx) == 221) return 5;
    if (image::bitsAt(ctx, kEeprom, 90) & 1) return 2;
    // Sensors leave the factory with 6 in the version byte before it is first set.
    if (stored == 6) return 0;
    return image::byteAt(ctx, kEeprom, 173);
}

}  // namespace

float GetVersion(Context& ctx) {
    switch (GetPlatform(ctx)) {
        case kPlatform5:
            image::ensure(ctx, kRam, 226, 1);
            return image::byteAt(ctx, kRam, 226);
        case kPlatform6:
        case kPlatform61:
            return versionOf6And61(ctx);
        case kPlatform7:
            if (!image::ensure(ctx, kEeprom, 1023, 1)) return 0;
            return image::byteAt(ctx, kEeprom, 1023);
        default:
            return 0;
    }
}

float GetSerialNumber(Context& ctx) {
    switch (GetPlatform(ctx)) {
        case kPlatform5:
            image::ensureQuietly(ctx, kRam, 66, 2);
            return image::wordAt(ctx, kRam, 66);
        case kPlatform6:
        case kPlatform61:
            image::ensureQuietly(ctx, kEeprom, 170, 2);
            return image::wordAt(ctx, kEeprom, 170);
        case kPlatform7:
            // The one quantity stored low byte first.
            image::ensureQuietly(ctx, kEeprom, 998, 3);
            return image::byteAt(ctx, kEeprom, 1000) * 65536.0f +
                   image::byteAt(ctx, kEeprom, 999) * 256.0f + image::byteAt(ctx, kEeprom, 998);
        default:
            return 0;
    }
}

std::string SerialText(Context& ctx) {
    const long long serial = ToInteger(GetSerialNumber(ctx));
    if (serial < 0 || serial > 99999) return {};
    std::string digits = std::to_string(serial);
    digits.insert(0, 5 - digits.size(), '0');
    return std::to_string(GetIdByte(ctx)) + digits;
}

uint8_t GetCO2Channel(Context& ctx, int n) {
    switch (GetPlatform(ctx)) {
        case kPlatform5:
            return n == 0 ? 1 : n == 1 ? 2 : 0;
        case kPlatform6:
            return n == 0 ? 11 : n == 1 ? 12 : 0;
        case kPlatform61:
            return n == 0 ? 5 : 0;
        default:
            return 0;
    }
}

float GetCO2Factor(Context& ctx) {
    switch (GetPlatform(ctx)) {
        case kPlatform5:
            return 1;
        case kPlatform6:
            if (!image::ensure(ctx, kEeprom, 164, 2)) return 0;
            return 1 + static_cast<float>((image::bitsAt(ctx, kEeprom, 165) >> 1) & 1);
        case kPlatform61: {
            if (GetIdByte(ctx) != 215) return 0;
            const float version = GetVersion(ctx);
            if (version == 0) return 1;
            if (version == 1) return 2;
            return 0;
        }
        case kPlatform7:
            if (!image::ensure(ctx, kEeprom, 762, 2)) return 0;
            return image::wordAt(ctx, kEeprom, 762) == 2048 ? 1 : 2;
        default:
            return 0;
    }
}

float GetChannelValue(Context& ctx, float Channel, bool Mode) {
    const int channel = image::channelIndex(Channel);
    int address = -1;
    switch (GetPlatform(ctx)) {
        case kPlatform5:
            if (channel < 0 || channel > 3) return 0;
            address = 20 + 2 * channel;
            if (Mode) {
                if (!image::fresh(ctx, kRam, 20, 6) || !image::fresh(ctx, kRam, 236, 4)) return 0;
                // Channel 3 lies outside the bulk block.
                if (!image::ensure(ctx, kRam, address, 2)) return 0;
            } else if (!image::fresh(ctx, kRam, address, 2)) {
                return 0;
            }
            return image::wordAt(ctx, kRam, address);
        case kPlatform6:
            if (channel < 0 || channel > 13) return 0;
            address = channel <= 1 ? 236 + 2 * channel : 12 + 2 * (channel - 2);
            if (Mode) {
                if (!image::fresh(ctx, kRam, 12, 23) || !image::fresh(ctx, kRam, 236, 4)) return 0;
            } else if (!image::fresh(ctx, kRam, address, 2)) {
                return 0;
            }
            // The error channel is the single byte at 34, fetched with its word.
            if (channel == 13) return image::byteAt(ctx, kRam, 34);
            return image::wordAt(ctx, kRam, address);
        case kPlatform61:
        case kPlatform7:
            if (channel < 0 || channel > 15) return 0;
            address = 12 + 2 * channel;
            if (!image::fresh(ctx, kRam, address, 2)) return 0;
            return image::wordAt(ctx, kRam, address);
        default:
            return 0;
    }
}

float GetRawReading(Context& ctx, float Channel) {
    const int channel = image::channelIndex(Channel);
    int address = -1;
    switch (GetPlatform(ctx)) {
        case kPlatform5:
            if (channel >= 0 && channel <= 4) address = 68 + 2 * channel;
            break;
        case kPlatform6:
            if (channel == 11) address = 72;
            if (channel == 12) address = 74;
            break;
        case kPlatform61: {
            const float version = GetVersion(ctx);
            if (channel == 5 && (version == 0 || version == 1)) address = 40;
            break;
        }
        default:
            break;
    }
    if (address < 0 || !image::fresh(ctx, kRam, address, 2)) return 0;
    return image::wordAt(ctx, kRam, address);
}

float GetZeroWord(Context& ctx, float Channel) {
    return getWord(ctx, zeroWordPlace(ctx, image::channelIndex(Channel)));
}

bool SetZeroWord(Context& ctx, float Channel, bool Write, bool KeepOpen, float Value) {
    return setWord(ctx, zeroWordPlace(ctx, image::channelIndex(Channel)), Channel, Write, KeepOpen,
                   Value);
}

float GetSpanWord(Context& ctx, float Channel) {
    return getWord(ctx, spanWordPlace(ctx, image::channelIndex(Channel)));
}

bool SetSpanWord(Context& ctx, float Channel, bool Write, bool KeepOpen, float Value) {
    return setWord(ctx, spanWordPlace(ctx, image::channelIndex(Channel)), Channel, Write, KeepOpen,
                   Value);
}

float GetCalTemp(Context& ctx, float Channel) {
    const int channel = image::channelIndex(Channel);
    WordPlace place;
    switch (GetPlatform(ctx)) {
        case kPlatform5:
            place = {kRam, 202};
            break;
        case kPlatform6:
            if (channel == 11) place = {kEeprom, 104};
            if (channel == 12) place = {kEeprom, 105};
            break;
        case kPlatform61:
            if (channel == 5) place = {kEeprom, 83};
            break;
        default:
            break;
    }
    if (place.address < 0 || !image::ensure(ctx, place.eeprom, place.address, 1)) return 0;
    return image::byteAt(ctx, place.eeprom, place.address);
}

float GetSensorTemp(Context& ctx) {
    switch (GetPlatform(ctx)) {
        case kPlatform5:
            if (!image::fresh(ctx, kRam, 234, 1)) return 0;
            return image::byteAt(ctx, kRam, 234) - 127;
        case kPlatform6:
            if (!image::fresh(ctx, kRam, 254, 1)) return 0;
            return image::byteAt(ctx, kRam, 254) - 127;
        case kPlatform61:
            if (!image::fresh(ctx, kRam, 42, 2)) return 0;
            return static_cast<float>(SignedWord(image::wordAt(ctx, kRam, 42)));
        default:
            return 0;
    }
}

uint8_t GetChannelKind(Context& ctx, float Channel) {
    switch (GetPlatform(ctx)) {
        case kPlatform6: {
            int address = -1;
            switch (image::channelIndex(Channel)) {
                case 2:
                    address = 53;
                    break;
                case 3:
                    address = 54;
                    break;
                case kPlatform6:
                    address = 55;
                    break;
                case kPlatform7:
                    address = 56;
                    break;
                case 8:
                    address = 57;
                    break;
                case 11:
                    address = 58;
                    break;
                case 12:
                    address = 59;
                    break;
                case 13:
                    return 0;
                default:
                    if (ctx.ErrorText.empty())
                        ctx.ErrorText = "Unknown channel '" + NumberText(Channel) + "'.";
                    return 0;
            }
            if (!image::ensure(ctx, kEeprom, address, 2)) return 0;
            return static_cast<uint8_t>(image::bitsAt(ctx, kEeprom, address));
        }
        case kPlatform61: {
            const float version = GetVersion(ctx);
            if (version == 0) return 2;
            if (version == 1) return 9;
            return 0;
        }
        default:
            return 0;
    }
}

uint8_t GetChannelTable(Context& ctx, float Channel) {
    const int channel = image::channelIndex(Channel);
    switch (GetPlatform(ctx)) {
        case kPlatform5:
            return channel < 0 ? 0 : static_cast<uint8_t>(channel);
        case kPlatform6:
            switch (channel) {
                case 4:
                case kPlatform5:
                    return 1;
                case kPlatform6:
                case kPlatform7:
                    return 2;
                case 8:
                    return 3;
                case 11:
                    return 4;
                case 12:
                    return 5;
                default:
                    return 0;
            }
        case kPlatform61:
            return channel == 5 ? 4 : 0;
        default:
            return 0;
    }
}

}  // namespace kelvo
