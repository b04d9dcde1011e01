// Placeholders until the definition-file loader lands.
#include <string>

#include "common/context.h"
#include "files/definition_file.h"

namespace kelvo {
bool LoadDefinition(Context& ctx) {
    if (ctx.ErrorText.empty()) ctx.ErrorText = "Definition files not built yet";
    return false;
}
bool EnsureDefinition(Context& ctx) {
    return LoadDefinition(ctx);
}
std::string DefinitionFileName(int) {
    return {};
}
}  // namespace kelvo
