#pragma once
// The production definition the model needs for the sensor in the image.

namespace kelvo {

struct Context;

// Loads it through the Context's loader only when the image's identification byte differs
// from the one loaded.
bool EnsureDefinition(Context& ctx);

}  // namespace kelvo
