// Definition files come from a shared drive and the program's folder: any bytes must
// parse without reading past them, and what is accepted must be usable as it stands.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "files/definition_file.h"
#include "model/tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    const auto parsed = kelvo::ParseDefinition(bytes);
    if (!parsed) return 0;
    if (size < kelvo::kDefinitionFileSize) std::abort();
    for (const kelvo::DefinitionChannel& c : parsed->channels) {
        for (float v : {c.l, c.m, c.o, c.tt, c.u, c.start})
            if (!std::isfinite(v)) std::abort();
        // The table the loader builds from the channel stays inside a word.
        if (const auto table = kelvo::BuildTableEntries(c.l, c.m, c.o, c.tt, c.u, c.start, {}))
            for (float e : *table)
                if (!(e >= 0 && e <= 65535)) std::abort();
    }
    return 0;
}
