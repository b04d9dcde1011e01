// Placeholders until the calibration procedures land.
#include <string>

#include "calibration/calibration.h"
#include "common/context.h"

namespace kelvo {
namespace {
bool notBuilt(Context& ctx) {
    if (ctx.ErrorText.empty()) ctx.ErrorText = "Calibration not built yet";
    return false;
}
}  // namespace
bool CalCO2SinglePoint(Context& ctx, float, bool, int, const std::string&) { return notBuilt(ctx); }
bool CalCO2Span(Context& ctx, float, const std::string&, bool) { return notBuilt(ctx); }
bool CalCO2SpanPlatform7(Context& ctx, float) { return notBuilt(ctx); }
bool CalTemp(Context& ctx, float, float, bool) { return notBuilt(ctx); }
bool CalO2Zero(Context& ctx) { return notBuilt(ctx); }
bool CalO2Span(Context& ctx, float) { return notBuilt(ctx); }
}  // namespace kelvo
