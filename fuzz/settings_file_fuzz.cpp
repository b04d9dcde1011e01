// Settings files come from users and other machines: any bytes must parse without
// reading past them, and a file the parser accepts must keep every block inside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "files/settings_file_format.h"

namespace {

void checkOne(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const kelvo::SetFileParse parsed = kelvo::ParseSetFile(bytes);
    if (!parsed.ok()) return;
    for (const kelvo::SetFileBlock& block : parsed.layout.blocks) {
        if (block.offset + 4 + block.length > size) std::abort();
        // Touch the data the reader would copy.
        volatile uint8_t sink = 0;
        for (size_t i = 0; i < block.length; ++i) sink = sink ^ data[block.offset + 4 + i];
        (void)sink;
    }
    // What the writer makes of the accepted blocks parses again.
    const kelvo::Bytes rebuilt =
        kelvo::MakeSetFile(parsed.layout.writerFlag, parsed.layout.blockCount & 0xFF,
                           bytes.subspan(kelvo::kSetHeaderSize));
    if (!kelvo::ParseSetFile(rebuilt).ok()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkOne(data, size);
    // The same bytes with a header that matches them, so the block walk gets explored
    // instead of stopping at the checksum.
    if (size > kelvo::kSetHeaderSize) {
        const std::span<const uint8_t> blocks(data + kelvo::kSetHeaderSize,
                                              size - kelvo::kSetHeaderSize);
        const kelvo::Bytes fixed = kelvo::MakeSetFile(data[0], data[5], blocks);
        checkOne(fixed.data(), fixed.size());
    }
    return 0;
}
