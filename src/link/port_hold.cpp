#include "link/port_hold.h"

#include "common/context.h"

namespace kelvo {

PortHold::PortHold(Context& ctx) : ctx_(ctx) {
    // What the line did before this action is unknown: its first attempt pauses in full.
    if (ctx_.PortHolds++ == 0) ctx_.LineQuietSinceNs = -1;
}

PortHold::~PortHold() {
    if (--ctx_.PortHolds > 0) return;
    ctx_.LineQuietSinceNs = -1;
    if (ctx_.port.isOpen()) ctx_.port.close();
}

void releasePort(Context& ctx) {
    if (ctx.PortHolds == 0) ctx.port.close();
}

}  // namespace kelvo
