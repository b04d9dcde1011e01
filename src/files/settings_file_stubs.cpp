// Placeholders until the settings-file routines land.
#include <string>

#include "common/context.h"
#include "files/settings_file.h"

namespace kelvo {
namespace {
bool notBuilt(Context& ctx) {
    if (ctx.ErrorText.empty()) ctx.ErrorText = "Settings files not built yet";
    return false;
}
}  // namespace
bool ReadSetBlock(Context& ctx, const std::string&, int&, bool, bool) { return notBuilt(ctx); }
bool LoadSettings(Context& ctx, const std::string&, int32_t) { return notBuilt(ctx); }
bool SaveSettings(Context& ctx, int, const std::string&, uint8_t, bool) { return notBuilt(ctx); }
}  // namespace kelvo
