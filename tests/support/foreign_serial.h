#pragma once
// A platform-6 or 61 settings file as Kelvo saves it, rewritten so that its mask also takes
// the serial number (EEPROM 170-171) and its data holds 0x4242 there: what a crafted file
// that would change a sensor's identity looks like.

#include "files/settings_file_format.h"

namespace kelvo::test {

inline Bytes withForeignSerial(Bytes file) {
    const SetFileParse parsed = ParseSetFile(file);
    for (const SetFileBlock& b : parsed.layout.blocks) {
        uint8_t* data = file.data() + b.offset + 4;
        if (b.type == kSetBlockMask) data += kSetMaskBlockPrefix;
        if (b.type == kSetBlockMask || b.type == kSetBlockEeprom)
            data[170] = data[171] = b.type == kSetBlockMask ? 255 : 0x42;
    }
    return MakeSetFile(file[0], parsed.layout.blockCount,
                       Bytes(file.begin() + kSetHeaderSize, file.end()));
}

}  // namespace kelvo::test
