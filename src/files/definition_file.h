#pragma once
// Production definition files ("DEF" + 5-digit identification byte + ".PDT") that name
// the channels of a platform-5 sensor and carry its table coefficients.

#include <string>

namespace kelvo {

struct Context;

// Loads the definition for the image's identification byte and builds tables 0..3.
bool LoadDefinition(Context& ctx);
// Reloads only when the image's identification byte differs from the one loaded.
bool EnsureDefinition(Context& ctx);
std::string DefinitionFileName(int idByte);

}  // namespace kelvo
