#include "files/platform_settings_file.h"

#include "common/context.h"
#include "files/settings_file.h"
#include "link/address_lists.h"
#include "model/identification.h"

namespace kelvo {

namespace {
constexpr uint8_t kPlatform5Writer = 255;
constexpr uint8_t kEepromWriter = 1;
constexpr int kBlockRam = 1;
constexpr int kBlockEeprom = 10;
constexpr int kBlockMask = 15;
constexpr int32_t kListPlatform6Settings = 13;
constexpr int32_t kListPlatform6Version2Settings = 15;
constexpr int32_t kListPlatform61Settings = 12;

int32_t platform6List(float version) {
    if (version == 0 || version == 1 || version == 3 || version == 4) return kListPlatform6Settings;
    if (version == 2) return kListPlatform6Version2Settings;
    return 0;
}
}  // namespace

bool HasSettingsFile(uint8_t platform) {
    return platform == 5 || platform == 6 || platform == 61;
}

bool SavePlatformSettings(Context& ctx, const std::string& Path) {
    switch (GetPlatform(ctx)) {
        case 5:
            return SaveSettings(ctx, kBlockRam, Path, kPlatform5Writer, false);
        case 6: {
            const int32_t list = platform6List(GetVersion(ctx));
            if (list == 0) return failWith(ctx, "Cant save settings from this sensor");
            SelectAddressList(ctx, list);
            return SaveSettings(ctx, kBlockMask, Path, kEepromWriter, true) &&
                   SaveSettings(ctx, kBlockEeprom, Path, kEepromWriter, false);
        }
        case 61:
            SelectAddressList(ctx, kListPlatform61Settings);
            return SaveSettings(ctx, kBlockEeprom, Path, kEepromWriter, false) &&
                   SaveSettings(ctx, kBlockMask, Path, kEepromWriter, true);
        default:
            // The settings-file container has no block for this sensor's memory.
            return failWith(ctx, "Cant save settings from this sensor");
    }
}

}  // namespace kelvo
