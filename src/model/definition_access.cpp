#include "model/definition_access.h"

#include "common/context.h"
#include "model/identification.h"

namespace kelvo {

bool EnsureDefinition(Context& ctx) {
    const uint8_t idByte = GetIdByte(ctx);
    if (ctx.Definition.loadedIdByte != 0 && ctx.Definition.loadedIdByte == idByte) return true;
    if (!ctx.loadDefinition) return failWith(ctx, "No production definition for this sensor.");
    return ctx.loadDefinition(ctx);
}

}  // namespace kelvo
