#pragma once
// ProgressPercent for the progress dialog while a transaction works through its blocks.

#include <algorithm>

#include "common/context.h"
#include "common/values.h"

namespace kelvo::link {

class Progress {
public:
    Progress(Context& ctx, int total) : ctx_(ctx), total_(total) {}

    // Shows the share done before this block, then counts the block as done. Blocks may
    // carry bytes nobody asked for, so the share is capped at 100.
    void advance(int blockBytes) {
        if (total_ > 0) {
            const double percent = RoundHalfEven(100.0 * done_ / total_);
            ctx_.ProgressPercent = static_cast<uint8_t>(std::min(100.0, percent));
        }
        done_ += blockBytes;
    }

private:
    Context& ctx_;
    int total_;
    int done_ = 0;
};

}  // namespace kelvo::link
