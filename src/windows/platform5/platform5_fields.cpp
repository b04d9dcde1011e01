#include "windows/platform5/platform5_fields.h"

#include <algorithm>

#include "common/context.h"
#include "common/values.h"

namespace kelvo {

bool ramKnown(const Context& ctx, int first, int count) {
    for (int a = first; a < first + count; ++a) {
        if (a < 0 || a >= kRamImageSize || !ctx.RamRead[a]) return false;
    }
    return true;
}

uint16_t parameterWord(float raw) {
    return static_cast<uint16_t>(std::clamp<long long>(ToInteger(raw), 0, 0x7FFF));
}

}  // namespace kelvo
