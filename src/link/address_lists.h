#pragma once
// The numbered address lists: fixed sets of sensor memory bytes that reads, writes and
// settings-file loads work on.

#include <cstdint>

namespace kelvo {

struct Context;

// Rewrites the list's range of AddressMask; an unknown list number changes nothing.
void SelectAddressList(Context& ctx, int32_t ListNo);

// Whether ListNo names a list at all.
bool IsKnownAddressList(int32_t ListNo);

}  // namespace kelvo
