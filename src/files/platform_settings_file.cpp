#include "files/platform_settings_file.h"

#include "common/context.h"
#include "files/settings_file.h"
#include "link/address_lists.h"
#include "model/identification.h"
#include "model/platform_profile.h"

namespace kelvo {

bool SavePlatformSettings(Context& ctx, const std::string& Path) {
    const PlatformProfile* profile = FindProfile(GetPlatform(ctx), GetVersion(ctx));
    if (!profile || profile->saveBlocks.empty())
        return failWith(ctx, "Cant save settings from this sensor");
    if (profile->saveList != 0) SelectAddressList(ctx, profile->saveList);
    for (const SaveBlock& block : profile->saveBlocks) {
        if (!SaveSettings(ctx, block.type, Path, profile->writerFlag, block.maskFromAddressMask))
            return false;
    }
    return true;
}

}  // namespace kelvo
